#include "anim/ani_file.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "core/byte_source.h"

namespace {

// Smallest size of a layer (its element count) and of an element (its kind).
constexpr size_t kMinLayerBytes = 4;
constexpr size_t kMinElementBytes = 4;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_src(data, size) {}

    size_t Position() const { return m_src.Position(); }
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }

    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (Failed()) return;
        char text[256];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        m_error = text;
    }

    // Whether count items of at least each bytes can still be in the data;
    // fails naming what when they cannot.
    bool Fits(uint32_t count, size_t each, const char* what) {
        if (Failed()) return false;
        if (m_src.FitsCount(count, each)) return true;
        Fail("short read: %u %s do not fit the %zu bytes left", count, what, size_t(m_src.Remaining()));
        return false;
    }

    uint8_t U8() {
        uint8_t v = 0;
        return Has(1) && m_src.ReadU8(v) ? v : 0;
    }
    uint16_t U16() {
        uint16_t v = 0;
        return Has(2) && m_src.ReadU16(v) ? v : 0;
    }
    int16_t I16() { return int16_t(U16()); }
    uint32_t U32() {
        uint32_t v = 0;
        return Has(4) && m_src.ReadU32(v) ? v : 0;
    }

    // The forms TransferPayload uses.
    void U8(uint8_t& v) { v = U8(); }
    void U16(uint16_t& v) { v = U16(); }
    void I16(int16_t& v) { v = I16(); }
    void U32(uint32_t& v) { v = U32(); }
    void LowByteOf32(uint16_t& v) { v = uint8_t(U32()); }
    void Skip(size_t n) {
        if (Has(n)) m_src.Skip(n);
    }

private:
    // False (and the short-read fault) when fewer than n bytes are left.
    bool Has(size_t n) {
        if (Failed()) return false;
        if (m_src.Remaining() >= n) return true;
        Fail("short read at byte %zu (%zu of %zu bytes there)", m_src.Position(), size_t(m_src.Remaining()),
             n);
        return false;
    }

    CMemorySource m_src;
    std::string m_error;
};

// Moves the payload of one element (its kind already moved) between the file
// and the element: the reader fills the fields, the writer writes them. Words
// the format skips are read and dropped, and written as 0.
template <class IO>
void TransferPayload(IO& io, uint8_t version, AniFileElement& e) {
    switch (e.kind) {
        case ANI_NODE_IMAGE:
            io.U16(e.texture);
            io.U16(e.unit);
            io.U16(e.start);
            io.U8(e.flags);
            if (e.flags & ANI_IMAGE_OFFSET) {
                io.I16(e.x);
                io.I16(e.y);
            }
            if (e.flags & ANI_IMAGE_OFFSET2) {
                io.I16(e.x2);
                io.I16(e.y2);
            }
            if (e.flags & ANI_IMAGE_SKIPPED_WORD) io.Skip(2);
            if (e.flags & ANI_IMAGE_COLOR) io.U16(e.color);
            return;
        case ANI_NODE_HOLD:
            io.U16(e.hold);
            return;
        case ANI_NODE_TARGET_COUNT:
            io.U16(e.number);
            break;
        case ANI_NODE_LAYER_SWITCH:
        case ANI_NODE_LAYER_BLEND:
            io.U8(e.target);
            io.U8(e.mode);
            break;
        case ANI_NODE_CHILD:
            io.U16(e.number);
            io.U16(e.motion);
            io.U16(e.direction);
            io.I16(e.x);
            io.I16(e.y);
            io.U16(e.start);
            io.Skip(4);
            return;
        case ANI_NODE_MAP_EFFECT:
            io.U8(e.mode);
            io.U8(e.arg);
            break;
        case ANI_NODE_ORDER:
            if (version < 9) io.Skip(1);
            io.U8(e.mode);
            break;
        case ANI_NODE_SOUND:
            io.U16(e.number);
            io.U16(e.word2);
            io.U8(e.byte);
            io.U32(e.positional);
            if (e.positional) io.U16(e.extra);
            break;
        case ANI_NODE_MESH:
            io.U16(e.number);
            io.U32(e.flag);
            io.I16(e.x);
            io.I16(e.y);
            if (version >= 8) io.Skip(2);
            if (version >= 14) io.LowByteOf32(e.extra);
            break;
        case ANI_NODE_ALPHA_RAMP:
        case ANI_NODE_VALUE_RAMP:
            io.U32(e.rising);
            io.U8(e.step);
            io.U8(e.limit);
            io.U8(e.target);
            break;
        case ANI_NODE_OWNER_PERCENT:
            io.U8(e.mode);
            break;
        case ANI_NODE_PARTICLE:
            io.U16(e.number);
            io.I16(e.x);
            io.I16(e.y);
            break;
        case ANI_NODE_TOON:
            io.U16(e.number);
            io.U16(e.motionSet);
            io.U16(e.material);
            io.U32(e.flag);
            io.U32(e.flag2);
            io.U8(e.toonFlags);
            io.I16(e.x);
            io.I16(e.y);
            if (version >= 13) io.U8(e.facing);
            break;
        case ANI_NODE_BREAK:
        case ANI_NODE_OWNER_COUNT:
        case ANI_NODE_MARK:
            break;
        default:
            return;  // no payload
    }
    io.U16(e.start);
}

bool HasTargetLayer(uint32_t kind) {
    return kind == ANI_NODE_LAYER_SWITCH || kind == ANI_NODE_ALPHA_RAMP || kind == ANI_NODE_VALUE_RAMP;
}

}  // namespace

bool ReadAniFile(const uint8_t* data, size_t size, AniFile& out, std::string* error) {
    out = AniFile();
    Reader r(data, size);
    const uint8_t version = r.U8();
    out.version = version;

    // Declared node count per kind, and how many of each the file has so far.
    std::array<uint64_t, ANI_NODE_KIND_COUNT> declared{};
    std::array<uint64_t, ANI_NODE_KIND_COUNT> used{};
    if (version >= 11) {
        const uint32_t count = r.U32();
        if (count > ANI_NODE_KIND_COUNT)
            r.Fail("%u pool declarations (at most %u)", count, ANI_NODE_KIND_COUNT);
        for (uint32_t i = 0; i < count && !r.Failed(); ++i) {
            AniPoolDecl decl;
            decl.kind = r.U32();
            decl.count = r.U32();
            if (r.Failed()) break;
            if (decl.kind >= ANI_NODE_KIND_COUNT) {
                r.Fail("pool of unknown node kind %u", decl.kind);
                break;
            }
            declared[decl.kind] = decl.count;
            out.pools.push_back(decl);
        }
    }

    const int16_t motionCount = r.I16();
    if (motionCount < 0) r.Fail("negative motion count %d", motionCount);
    for (int m = 0; m < motionCount && !r.Failed(); ++m) {
        AniFileMotion& motion = out.motions.emplace_back();
        motion.id = r.U32();
        const uint8_t directionCount = r.U8();
        for (int d = 0; d < directionCount && !r.Failed(); ++d) {
            AniFileDirection& dir = motion.directions.emplace_back();
            dir.direction = r.U8();
            if (!r.Failed() && dir.direction >= ANI_DIRECTION_COUNT) {
                r.Fail("direction %u in motion %u (at most 15)", dir.direction, motion.id);
                break;
            }
            if (version >= 6) {
                dir.height = r.U16();
                dir.spare = r.U16();
            } else {
                dir.height = ANI_DEFAULT_HEIGHT;
            }
            const uint32_t layerCount = r.U32();
            if (r.Failed()) break;
            if (layerCount > ANI_MAX_LAYERS) {
                r.Fail("%u layers in motion %u direction %u (at most 255)", layerCount, motion.id,
                       dir.direction);
                break;
            }
            if (!r.Fits(layerCount, kMinLayerBytes, "layers")) break;
            dir.layers.resize(layerCount);
            for (uint32_t k = 0; k < layerCount && !r.Failed(); ++k) {
                const uint32_t elementCount = r.U32();
                if (r.Failed()) break;
                if (!r.Fits(elementCount, kMinElementBytes, "elements")) break;
                std::vector<AniFileElement>& elements = dir.layers[k].elements;
                elements.reserve(elementCount);
                for (uint32_t j = 0; j < elementCount && !r.Failed(); ++j) {
                    AniFileElement& e = elements.emplace_back();
                    e.kind = r.U32();
                    if (r.Failed()) break;
                    TransferPayload(r, version, e);
                    if (r.Failed()) break;
                    if (HasTargetLayer(e.kind) && e.target >= layerCount) {
                        r.Fail("node kind %u at layer %u element %u targets layer %u of %u", e.kind, k, j,
                               e.target, layerCount);
                        break;
                    }
                    if (version >= 11 && IsNodeKind(e.kind) && ++used[e.kind] > declared[e.kind]) {
                        r.Fail("more nodes of kind %u than the %llu its pool declares", e.kind,
                               static_cast<unsigned long long>(declared[e.kind]));
                        break;
                    }
                }
            }
        }
    }

    if (r.Failed()) {
        if (error) *error = r.Error();
        out = AniFile();
        return false;
    }
    out.bytesRead = r.Position();
    return true;
}

namespace {

class Writer : public CByteWriter {
public:
    // The forms TransferPayload uses besides the writer's own.
    void LowByteOf32(uint16_t v) { U32(uint32_t(uint8_t(v))); }
    void Skip(size_t n) { Data().insert(Data().end(), n, 0); }
};

}  // namespace

std::vector<uint8_t> WriteAniFile(const AniFile& file) {
    Writer w;
    w.U8(file.version);
    if (file.version >= 11) {
        w.U32(uint32_t(file.pools.size()));
        for (const AniPoolDecl& p : file.pools) {
            w.U32(p.kind);
            w.U32(p.count);
        }
    }
    w.I16(int16_t(file.motions.size()));
    for (const AniFileMotion& motion : file.motions) {
        w.U32(motion.id);
        w.U8(uint8_t(motion.directions.size()));
        for (const AniFileDirection& dir : motion.directions) {
            w.U8(dir.direction);
            if (file.version >= 6) {
                w.U16(dir.height);
                w.U16(dir.spare);
            }
            w.U32(uint32_t(dir.layers.size()));
            for (const AniFileLayer& layer : dir.layers) {
                w.U32(uint32_t(layer.elements.size()));
                for (const AniFileElement& e : layer.elements) {
                    w.U32(e.kind);
                    AniFileElement copy = e;
                    TransferPayload(w, file.version, copy);
                }
            }
        }
    }
    return w.Take();
}

void DeclarePools(AniFile& file) {
    std::array<uint32_t, ANI_NODE_KIND_COUNT> counts{};
    for (const AniFileMotion& motion : file.motions)
        for (const AniFileDirection& dir : motion.directions)
            for (const AniFileLayer& layer : dir.layers)
                for (const AniFileElement& e : layer.elements)
                    if (IsNodeKind(e.kind)) ++counts[e.kind];
    file.pools.clear();
    for (uint32_t kind = 0; kind < ANI_NODE_KIND_COUNT; ++kind)
        if (counts[kind]) file.pools.push_back({kind, counts[kind]});
}
