// Assembly of the show: the registry, then the lyrics scene and the photo scene, in the order
// they are tested and drawn each frame.
#include "show/MyDemo.h"

#include "resources/ResourceRegistry.h"
#include "show/Lyrics.h"
#include "show/PhotoCompo.h"

void MyDemo::initialise()
{
    // Nothing keeps the registry after this; what the scenes took from it lives on.
    ResourceRegistry* registry = new ResourceRegistry;
    scenes.push_back(new Lyrics(registry));
    scenes.push_back(new PhotoCompo(registry));
}
