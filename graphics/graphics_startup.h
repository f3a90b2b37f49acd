// The graphics layer's start-up: its global objects given to start-up in their
// slots, and the services it installs while they exist (the display's part of
// every frame, the resource caches' message queues, the error box's host).
#pragma once

void InstallGraphicsGlobals();

// The device set of the DirectX slot with the services it provides; tests
// bring the display up and down with these as start-up does.
bool StartDirectX();
void StopDirectX();
