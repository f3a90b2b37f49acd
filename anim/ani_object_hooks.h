// The animated objects as the drawable object base (core/draw_object.h) uses
// them: installed with the animation manager at start-up.
#pragma once

class IAniObjectHooks;

// The hooks that make, delete and read CAniObjects.
IAniObjectHooks* GetAniObjectHooks();
