#include "graphics/dtx_format.h"

#include <cstring>

namespace {

bool Fail(DtxHeader& out, std::string* error, const char* why) {
    out = DtxHeader();
    if (error) *error = why;
    return false;
}

bool ReadI16(CByteSource& src, int16_t& v) {
    uint16_t u;
    if (!src.ReadU16(u)) return false;
    v = int16_t(u);
    return true;
}

bool ReadUnit(CByteSource& src, DtxUnit& u) {
    return src.ReadU32(u.reserved) && src.ReadI32(u.x) && src.ReadI32(u.y) && src.ReadI32(u.width) &&
           src.ReadI32(u.height) && src.ReadF32(u.u) && src.ReadF32(u.v) && ReadI16(src, u.anchorX) &&
           ReadI16(src, u.anchorY) && ReadI16(src, u.shadowAnchorX) && ReadI16(src, u.shadowAnchorY) &&
           ReadI16(src, u.shadowAngle) && ReadI16(src, u.shadowLength);
}

void WriteHead(CByteWriter& w, uint8_t version, bool sheet, uint8_t kind) {
    w.U8(version);
    if (version >= 3)
        w.U8(sheet ? 0 : kind);
    else
        w.U32(sheet ? 1 : 0);
}

}  // namespace

bool ReadDtxHeader(CByteSource& src, DtxHeader& out, std::string* error) {
    out = DtxHeader();
    if (!src.ReadU8(out.version)) return Fail(out, error, "short version");
    if (out.version >= 3) {
        if (!src.ReadU8(out.kind)) return Fail(out, error, "short kind");
        out.sheet = out.kind == 0;
    } else {
        uint32_t sheet = 0;
        if (!src.ReadU32(sheet)) return Fail(out, error, "short sheet switch");
        out.sheet = sheet != 0;
        out.kind = out.sheet ? 0 : 1;
    }
    if (!out.sheet) return true;

    uint32_t count = 0;
    if (!src.ReadU32(count)) return Fail(out, error, "short unit count");
    count &= 0xFFFF;
    if (uint64_t(count) * DTX_UNIT_BYTES > src.Remaining())
        return Fail(out, error, "unit table exceeds the data");
    out.units.resize(count);
    for (DtxUnit& u : out.units)
        if (!ReadUnit(src, u)) return Fail(out, error, "short unit record");
    if (!src.ReadU32(out.width) || !src.ReadU32(out.height)) return Fail(out, error, "short sheet size");
    out.columns = out.width >> 8;
    out.rows = out.height >> 8;
    if (uint64_t(out.columns) * out.rows > DTX_MAX_TILES) return Fail(out, error, "more than 255 tiles");
    if (uint64_t(out.TileCount()) * DTX_TILE_BYTES > src.Remaining())
        return Fail(out, error, "short tile data");
    return true;
}

std::vector<uint8_t> WriteDtxSheet(uint8_t version, const std::vector<DtxUnit>& units, uint32_t width,
                                   uint32_t height, const std::vector<uint16_t>& tilePixels) {
    CByteWriter w;
    WriteHead(w, version, true, 0);
    w.U32(uint32_t(units.size()));
    for (const DtxUnit& u : units) {
        w.U32(u.reserved);
        w.I32(u.x);
        w.I32(u.y);
        w.I32(u.width);
        w.I32(u.height);
        w.F32(u.u);
        w.F32(u.v);
        w.I16(u.anchorX);
        w.I16(u.anchorY);
        w.I16(u.shadowAnchorX);
        w.I16(u.shadowAnchorY);
        w.I16(u.shadowAngle);
        w.I16(u.shadowLength);
    }
    w.U32(width);
    w.U32(height);
    for (uint16_t p : tilePixels) w.U16(p);
    return w.Take();
}

std::vector<uint8_t> WriteDtxPicture(uint8_t version, uint8_t kind, const FramePicture& picture) {
    CByteWriter w;
    WriteHead(w, version, false, kind);
    std::vector<uint8_t> body = WriteFramePicture(picture);
    w.Bytes(body.data(), body.size());
    return w.Take();
}

std::vector<uint16_t> SheetToTiles(const uint16_t* sheet, uint32_t width, uint32_t height) {
    const uint32_t cols = width >> 8, rows = height >> 8;
    std::vector<uint16_t> tiles;
    tiles.reserve(size_t(cols) * rows * 65536);
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < cols; ++c)
            for (uint32_t y = 0; y < 256; ++y) {
                const uint16_t* row = sheet + size_t(r * 256 + y) * width + c * 256;
                tiles.insert(tiles.end(), row, row + 256);
            }
    return tiles;
}

void SetUnitTexCoords(DtxUnit& unit) {
    unit.u = float(unit.x % DTX_TILE_SIDE) / 256.0f;
    unit.v = float(unit.y % DTX_TILE_SIDE) / 256.0f;
}
