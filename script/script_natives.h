// The natives: the engine operations compiled scripts call by id. They work
// on play entries of CAniPlayMgr that the runner made (named by their
// handle), on characters (named by their id), on the effects' emitters and
// ambient groups, and a few read the clock or do arithmetic. A handle or id
// that does not resolve makes a native finish at once with its failure
// result, 0 unless said otherwise; natives never show an error.
//
//   id     arguments                         what it does                        result
//   0      animation                         new entry at map (0, 0, 0), stopped  its handle
//   1      entry                             removes the entry                    1 / 0
//   2, 3   motion or direction, entry        sets it on the object                1 / 0
//   4      layer, entry                      the object's drawing layer           1 / 0
//   5      char, layer, entry                layer, and drawn with the character  1 / 0
//   6, 7   entry                             stops / releases the object          1 / 0
//   8      repeat, entry, wait, auto-remove  plays from the start; waits while    1 / 0
//                                            playing when asked (repeat < 1:
//                                            endless, never waits)
//   9      char, entry, mode 0.0 or 1.0      1.0 places at the character, 0.0     1 / 0
//                                            follows it at height 0
//   10     x, y, z, entry                    places at the map point              1 / 0
//   11     dx, dy, dz, entry                 offsets from the followed character  1 / 0
//   12-16  entry, values                     the object's particle emitter        1 / 0
//   17-19  entry                             -                                    map x, y, z
//   20     entry                             -                                    1 when played out
//   21     char, entry, speed, height, tiles flight toward the character          1 / 0
//   22     char, entry, tiles, wait          a step of it; waits for arrival      1 / 0
//   23     -                                 (the runner holds no target)         0
//   24     x, y, z, entry, speed, height     flies to the point, waits            1 / 0
//   25     char, entry, duration, height     curve toward the character           1 / 0
//   26     dx, dy, entry                     flies the curve of 25, waits         1 / 0
//   27     x, y, z, entry, duration, height  curve toward the point               1 / 0
//   28     -, dz, -, entry                   flies the curve of 27, waits         1 / 0
//   29     char, motion, wait                plays the motion once; waits         1 / 0
//   30     char                              back to the rest motion              1 / 0
//   31     char                              -                                    1 when played out
//   32-34  char and a direction, a point     turns it (the user's own tells       1 / 0
//          or a second char                  the server)
//   35     char, flag                        (no such flag)                       0
//   36     char, flag                        tells the weapon of a strike         1 / 0
//   37     char                              -                                    its height
//   38     x1, y1, x2, y2                    -                                    facing 0-14
//   39, 40 char                              waits for a hit (or the motion's     1
//                                            end) and counts it off
//   41     char, motion                      waits while the motion plays         1
//   42, 43 char                              (no such flag)                       0
//   44, 47 -                                 -                                    1
//   45, 46 entry, radius                     lights the object / puts it out      light id / 1
//   48     sound, entry                      plays the effect at the object       1 / 0
//   49-53  group, entry, values              the ambient groups                   key / 1 / 0
//   54-65, 70 (readings with no field)       -                                    0
//   66     char                              -                                    unchanged
//   67     char                              -                                    its type index
//   68, 69 char                              -                                    its tile x*24, y*12
//   71, 72 -                                 the tile under the mouse             x*24, y*12
//   73-78  -                                 clock, rand, cos, sin, sqrt, angle
#pragma once

class CScript;

// Natives with ids 0-78 registered in the script's table.
void RegisterScriptNatives(CScript* script);
