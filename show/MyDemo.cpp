// Assembly of the show.
#include "show/MyDemo.h"

void MyDemo::initialise()
{
}
