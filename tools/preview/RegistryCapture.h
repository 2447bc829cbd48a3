// MyDemo builds its ResourceRegistry and keeps nothing of it, by design, so a program that
// frees the shows it builds cannot reach the registry afterwards. The registry tells its hook
// (ResourceRegistry::onBuilt) of each one built, and while a RegistryCapture lives, every
// registry built on its thread is noted in it.
//
//   RegistryCapture capture;
//   BuiltShow built = buildShow(width, height);
//   ...capture.registries holds the registry initialise() made
#pragma once

#include <vector>

class ResourceRegistry;

class RegistryCapture {
public:
    RegistryCapture();
    ~RegistryCapture();
    RegistryCapture(const RegistryCapture&) = delete;
    RegistryCapture& operator=(const RegistryCapture&) = delete;

    std::vector<ResourceRegistry*> registries;  // in the order they were built

private:
    RegistryCapture* outer;
};
