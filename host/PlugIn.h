#pragma once
// The plug-in object the modeller loads: four virtual operations in a fixed
// slot order (destructor, GetType, GetTitle, Execute). This is the one place
// that declares them, because the Windows build must match the modeller's
// vtable exactly.

#include "host/Barrier.h"
#include "host/HostServices.h"
#include "host/ModelLib.h"

enum {
    eTypeImport = 1,
    eTypeExport = 2,
    eTypeTool = 3,
    eTypeEdit = 4,
    eTypeVertex = 5,
    eTypeFace = 6,
    eTypeAnimate = 7,
    eTypeMask = 0x000F,
};

#if defined(_WIN32) && !defined(_MSC_VER)
// g++ gives a virtual destructor two slots; the modeller calls slot 0 as the
// one-argument deleting destructor, so this build declares it by hand and
// PlugInObject implements it for each concrete class.
class cMsPlugIn {
  public:
    virtual void __thiscall DeletingDestructor(unsigned flags) = 0;
    virtual int __thiscall GetType() = 0;
    virtual const char* __thiscall GetTitle() = 0;
    virtual int __thiscall Execute(msModel* model) = 0;
};

template <class Derived>
class PlugInObject : public cMsPlugIn {
  public:
    explicit PlugInObject(kx::HostServices& host) : host_(host) {}

    int __thiscall Execute(msModel* model) final {
        return kx::RunBehindBarrier(host_.ui, model, Derived::kModelOnFailure,
                                    [&] { return static_cast<Derived*>(this)->Run(model); });
    }

    void __thiscall DeletingDestructor(unsigned flags) override {
        auto* self = static_cast<Derived*>(this);
        self->~Derived();
        if (flags & 1u) {
            ::operator delete(self);
        }
    }

  protected:
    kx::HostServices& host_;
};

#define KX_PLUGIN_CALL __thiscall

inline void DestroyPlugIn(cMsPlugIn* plugIn) {
    if (plugIn) {
        plugIn->DeletingDestructor(1);
    }
}
#else
class cMsPlugIn {
  public:
    virtual ~cMsPlugIn() = default;
    virtual int GetType() = 0;
    virtual const char* GetTitle() = 0;
    virtual int Execute(msModel* model) = 0;
};

// The base of every plug-in object: Execute runs the plug-in's Run behind the
// exception barrier, so that nothing thrown reaches the modeller. Derived
// declares `int Run(msModel*)` and `static constexpr kx::ModelOnFailure
// kModelOnFailure`.
template <class Derived>
class PlugInObject : public cMsPlugIn {
  public:
    explicit PlugInObject(kx::HostServices& host) : host_(host) {}

    int Execute(msModel* model) final {
        return kx::RunBehindBarrier(host_.ui, model, Derived::kModelOnFailure,
                                    [&] { return static_cast<Derived*>(this)->Run(model); });
    }

  protected:
    kx::HostServices& host_;
};

#define KX_PLUGIN_CALL

inline void DestroyPlugIn(cMsPlugIn* plugIn) {
    delete plugIn;
}
#endif

#if defined(_WIN32)
#define KX_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define KX_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The one entry point of every plug-in library.
using CreatePlugInFn = cMsPlugIn* (*)();
