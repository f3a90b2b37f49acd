// Fuzzes the local server's side of one connection: the input is what a
// client sends, fed to a server hall in pieces (framing, cipher and every
// request it reads), with the walkers' and the time's ticks between them. The
// hall is made as the seed-writing test makes it (default world, seed 1), so
// the seeds' enciphered requests stay in step.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/socket.h"
#include "tools/qmserver/server_hall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CServerHall hall(CServerWorld::Default(), 40000, 1, nullptr);
    const int id = hall.Open(plat::MakeIPv4(127, 0, 1, 127));
    uint32_t now = 0;
    hall.Tick(now);
    size_t at = 0;
    while (at < size && !hall.Closing(id)) {
        const size_t piece = std::min<size_t>(size - at, 1 + data[at] % 97 * 13);
        hall.Receive(id, data + at, piece);
        at += piece;
        now += 700;
        hall.Tick(now);
        hall.Sent(id, hall.Output(id).size() / 2);
    }
    hall.Tick(now + CServerHall::TIME_INTERVAL_MS);
    hall.Close(id);
    return 0;
}
