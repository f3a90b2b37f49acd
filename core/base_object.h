// The object kernel's class tree:
//   CRefTarget   - anything a CWeakRef may point at;
//   CMsgObject   - a handle (slot index | serial << 16, 0 while unregistered)
//                  and a message port;
//   CBaseObject  - an object that takes part in the frame: kind id and the
//                  draw, update and input phase flags, and the frame operations;
//   CDragObject  - a CBaseObject that can be dragged with the cursor.
// Every Release in this tree may be called again: the destructors call it once
// more after whoever owned the object already did.
#pragma once
#include <cstdint>
#include <memory>

class CMsgPort;
class CLockedMsgObject;
class CObjectMgr;

// Liveness record shared by an object and the weak references to it.
struct CLiveness {
    uint32_t m_refCount = 0;
    uint8_t m_dead = 0;
};

class CRefTarget {
public:
    CRefTarget() = default;
    // A copy is a new object: it does not share the original's weak references.
    CRefTarget(const CRefTarget&) {}
    CRefTarget& operator=(const CRefTarget&) { return *this; }
    ~CRefTarget();

private:
    friend class CWeakRef;
    CLiveness* m_pLiveness = nullptr;
};

// A reference that reads as null once its object has been destroyed.
class CWeakRef {
public:
    CWeakRef() = default;
    explicit CWeakRef(CRefTarget* object) { Assign(object); }
    CWeakRef(const CWeakRef& other);
    CWeakRef& operator=(const CWeakRef& other);
    CWeakRef(CWeakRef&& other) noexcept : m_pLiveness(other.m_pLiveness), m_pObject(other.m_pObject) {
        other.m_pLiveness = nullptr;
        other.m_pObject = nullptr;
    }
    CWeakRef& operator=(CWeakRef&& other) noexcept;
    ~CWeakRef();

    // Points the reference at the object (null drops it).
    void Assign(CRefTarget* object);
    // The object while it lives, else null.
    CRefTarget* Get() const;
    template <class T>
    T* GetAs() const {
        return static_cast<T*>(Get());
    }
    explicit operator bool() const { return Get() != nullptr; }

private:
    void Drop();
    CLiveness* m_pLiveness = nullptr;
    CRefTarget* m_pObject = nullptr;
};

class CMsgObject : public CRefTarget {
public:
    // router: the message queue the object's port posts through (may be null).
    explicit CMsgObject(CLockedMsgObject* router = nullptr);
    virtual ~CMsgObject();
    CMsgObject(const CMsgObject&) = delete;
    CMsgObject& operator=(const CMsgObject&) = delete;

    virtual bool Create() { return true; }
    virtual bool Release() { return true; }

    uint32_t GetId() const { return m_id; }
    CMsgPort* GetPort() const { return m_pPort.get(); }
    // Posts through the manager's message queue from now on.
    void SetRouter(CObjectMgr* manager);

protected:
    friend class CObjectMgr;
    uint32_t m_id = 0;

private:
    std::unique_ptr<CMsgPort> m_pPort;
};

inline constexpr uint32_t KIND_NONE = 65535;

class CBaseObject : public CMsgObject {
public:
    CBaseObject();
    ~CBaseObject() override;

    bool Create() override;
    bool Release() override;
    virtual void Reset();
    virtual bool Show();
    // Switches all three phase flags off. Returns false, which callers read as
    // "the object is hidden".
    virtual bool Hide();
    virtual bool Draw() { return true; }
    // false asks the owner to remove the object.
    virtual bool Update() { return true; }
    virtual bool ProcessInput() { return true; }
    // Subclasses read their port here.
    virtual bool ProcessMessages() { return true; }
    // ProcessInput, Update and Draw, each when its flag is set; results ignored.
    virtual bool Execute();
    virtual int32_t GetX() { return 0; }
    virtual int32_t GetY() { return 0; }
    virtual int32_t GetLayer() { return 0; }

    uint32_t GetKindId() const { return m_kindId; }
    void SetKindId(uint32_t kind) { m_kindId = kind; }
    bool IsDrawOn() const { return m_drawFlag != 0; }
    bool IsUpdateOn() const { return m_updateFlag != 0; }
    bool IsInputOn() const { return m_inputFlag != 0; }
    void SetDrawOn(bool on) { m_drawFlag = on; }
    void SetUpdateOn(bool on) { m_updateFlag = on; }
    void SetInputOn(bool on) { m_inputFlag = on; }

protected:
    void SetAllFlags(bool on) { m_drawFlag = m_updateFlag = m_inputFlag = on; }

    uint32_t m_kindId = KIND_NONE;
    uint8_t m_drawFlag = 1;
    uint8_t m_updateFlag = 1;
    uint8_t m_inputFlag = 1;
};

class CDragObject : public CBaseObject {
public:
    // -1 in the base; named objects return their type code.
    virtual int32_t GetType() { return -1; }
    virtual uint32_t GetDragState() { return m_dragState; }
    virtual bool SetDragState(uint32_t state) {
        m_dragState = state;
        return true;
    }
    virtual bool BeginDrag(uint32_t mode) {
        m_dragMode = mode;
        return true;
    }
    virtual bool EndDrag() { return true; }
    virtual bool DrawAtCursor() { return true; }
    virtual bool UpdateAtCursor() { return true; }

    uint32_t GetDragMode() const { return m_dragMode; }

protected:
    uint32_t m_dragState = 0;
    uint32_t m_dragMode = 0;
};
