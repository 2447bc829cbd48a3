// Noting the registries built while a capture lives, through the registry's hook.
#include "tools/preview/RegistryCapture.h"

#include "resources/ResourceRegistry.h"

namespace {

thread_local RegistryCapture* activeCapture = nullptr;

void noteRegistry(ResourceRegistry* registry)
{
    if (activeCapture != nullptr)
        activeCapture->registries.push_back(registry);
}

}  // namespace

RegistryCapture::RegistryCapture() : outer(activeCapture)
{
    // The same function every time; it notes a registry only on a thread with a capture.
    ResourceRegistry::onBuilt = noteRegistry;
    activeCapture = this;
}

RegistryCapture::~RegistryCapture()
{
    activeCapture = outer;
}
