// The window classes of the way in, made by identifier (CreateRegisteredWindow).
#pragma once

// Registers them; called once by start-up.
void InstallPlayWindowClasses();
