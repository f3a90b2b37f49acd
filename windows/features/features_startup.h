// The feature windows' start-up: the window classes the scenes make by
// identifier.
#pragma once

// Registers the classes with the window manager's class table.
void InstallFeatureWindowClasses();
