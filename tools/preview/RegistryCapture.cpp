// The wrapped registry constructor and the capture it reports to.
#include "tools/preview/RegistryCapture.h"

#include "resources/ResourceRegistry.h"

namespace {

thread_local RegistryCapture* activeCapture = nullptr;

}  // namespace

// The linker sends every call of ResourceRegistry::ResourceRegistry() (its complete-object
// constructor, _ZN16ResourceRegistryC1Ev) from the show's code here, and the real one is
// __real_. A constructor takes its object as its one argument in the platform's C++ ABI.
extern "C" void __real__ZN16ResourceRegistryC1Ev(ResourceRegistry* registry);

extern "C" void __wrap__ZN16ResourceRegistryC1Ev(ResourceRegistry* registry)
{
    __real__ZN16ResourceRegistryC1Ev(registry);
    // Noted only once built: a constructor that throws leaves no object to free.
    if (activeCapture != nullptr)
        activeCapture->registries.push_back(registry);
}

RegistryCapture::RegistryCapture() : outer(activeCapture)
{
    activeCapture = this;
}

RegistryCapture::~RegistryCapture()
{
    activeCapture = outer;
}
