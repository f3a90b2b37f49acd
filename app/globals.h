// Installs the factories of the global objects of every layer in their
// start-up slots (core/global_objects.h).
#pragma once

void InstallGlobalFactories();
