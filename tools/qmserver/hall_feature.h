// What the local server serves beyond the log-in and the walk, one subject a
// file (shops, clubs, skills, ...): each subject is a CHallFeature that reads
// its own lines of the world file and takes the requests of its subject.
//
// Adding a subject: write `tools/qmserver/hall_<subject>.cpp` with a class
// derived from CHallFeature, and add one line for it to MakeHallFeatures()
// (hall_features.cpp). The hall asks every feature, in that order, for each
// request before its own log-in and walk handling, so a feature may also
// take over a request the hall answers plainly.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPacketReader;
class CServerHall;

// A line of the world file that a feature reads: its keyword, its words
// after the keyword and the rest of the line after the keyword.
struct CWorldLine {
    std::string keyword;
    std::vector<std::string> args;
    std::string rest;
    size_t number = 0;  // its line number in the file
};

// What a feature sees of one client.
struct CHallClient {
    int id = 0;
    uint16_t version = 0;
    std::string account;
    bool entered = false;  // the character entered the field
    bool ready = false;    // its map is loaded: it sees and is seen
    std::string name;
    uint32_t charId = 0, resourceId = 0;
    uint16_t x = 0, y = 0;
    uint8_t direction = 0;
};

class CHallFeature {
public:
    enum class Taken { No, Yes, CutShort };

    virtual ~CHallFeature() = default;
    // The world file's keywords this feature reads.
    virtual std::vector<std::string> Keywords() const { return {}; }
    // Checks one of its lines when the world file is read; false with the
    // reason (the file is then refused with the line's number).
    virtual bool CheckLine(const CWorldLine& line, std::string* reason) const {
        (void)line;
        (void)reason;
        return true;
    }
    // The hall is made: the feature reads its lines (hall.World().lines).
    virtual void Start(CServerHall& hall) { (void)hall; }
    // The character entered the field (after the map change and its own
    // character went out) and its map is ready (after the others went out).
    virtual void EnterField(CServerHall& hall, CHallClient& c) {
        (void)hall;
        (void)c;
    }
    virtual void MapReady(CServerHall& hall, CHallClient& c) {
        (void)hall;
        (void)c;
    }
    // A request; body starts after the code. Yes: taken (the feature logged
    // it with hall.LogRequest); No: not this feature's (the body is read
    // again from its start by the next); CutShort: the request was too short.
    virtual Taken Request(CServerHall& hall, CHallClient& c, uint8_t code, CPacketReader& body) {
        (void)hall;
        (void)c;
        (void)code;
        (void)body;
        return Taken::No;
    }
    // Every tick of the server's clock (milliseconds from any start).
    virtual void Tick(CServerHall& hall, uint32_t nowMs) {
        (void)hall;
        (void)nowMs;
    }
    // The client hung up.
    virtual void Closed(CServerHall& hall, CHallClient& c) {
        (void)hall;
        (void)c;
    }
};

// Every feature the server serves, in the order the hall asks them.
std::vector<std::unique_ptr<CHallFeature>> MakeHallFeatures();
