// Calls each plug-in object exactly as the modeller does: through the raw
// vtable, slot by slot, with the thiscall convention of its compiler. Only
// the binary layout is assumed here, none of our own headers, so a change
// that moves a slot (a C++ virtual destructor takes two under g++) fails.

#include <windows.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// g++ warns that thiscall is meant for members, yet applies it to these
// pointer types (the object goes in ECX), which is exactly the call wanted.
#pragma GCC diagnostic ignored "-Wattributes"
using CreateFn = void*(__cdecl*)();
using DeletingDestructorFn = void(__thiscall*)(void* self, unsigned flags);
using GetTypeFn = int(__thiscall*)(void* self);
using GetTitleFn = const char*(__thiscall*)(void* self);
using ExecuteFn = int(__thiscall*)(void* self, void* model);

struct Expected {
    const char* library;
    int type;
    const char* title;
};

const Expected kPlugIns[] = {
    {"Tarrow.dll", 2, "Kaltrix CMP V0.3"},
    {"Ommel.dll", 1, "Kaltrix CMP Importer V2.7"},
    {"Brasket.dll", 2, "Kaltrix SUR Export V1.1"},
};

int g_failures = 0;

void Fail(const char* library, const std::string& what) {
    std::printf("FAIL %s: %s\n", library, what.c_str());
    ++g_failures;
}

// Blocks in use on the C library's heap, which the plug-ins' operator new
// and delete share with this program.
long UsedHeapBlocks() {
    _HEAPINFO info{};
    long used = 0;
    int status;
    while ((status = _heapwalk(&info)) == _HEAPOK) {
        if (info._useflag == _USEDENTRY) {
            ++used;
        }
    }
    return status == _HEAPEND ? used : -1;
}

void** Vtable(void* object) {
    return *static_cast<void***>(object);
}

void CheckPlugIn(const std::string& folder, const Expected& expected) {
    std::string path = folder + "\\" + expected.library;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        Fail(expected.library, "cannot load (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    auto create =
        reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(module, "CreatePlugIn")));
    if (!create) {
        Fail(expected.library, "no export named CreatePlugIn");
        FreeLibrary(module);
        return;
    }

    // A first object pays for what the library sets up once (its services,
    // its threads library), so the heap counts below see only the object.
    void* first = create();
    if (!first) {
        Fail(expected.library, "CreatePlugIn gave null");
        FreeLibrary(module);
        return;
    }
    void** slots = Vtable(first);
    int type = reinterpret_cast<GetTypeFn>(slots[1])(first);
    if (type != expected.type) {
        Fail(expected.library, "slot 1 (GetType) gave " + std::to_string(type));
    }
    const char* title = reinterpret_cast<GetTitleFn>(slots[2])(first);
    std::string titleText = title ? title : "(null)";
    if (titleText != expected.title) {
        Fail(expected.library, "slot 2 (GetTitle) gave '" + titleText + "'");
    }
    int result = reinterpret_cast<ExecuteFn>(slots[3])(first, nullptr);
    if (result != -1) {
        Fail(expected.library, "slot 3 (Execute) with no model gave " + std::to_string(result));
    }
    reinterpret_cast<DeletingDestructorFn>(slots[0])(first, 1);

    // Bit 0 of the flags frees the memory: the heap is back where it was.
    long before = UsedHeapBlocks();
    void* second = create();
    if (second) {
        reinterpret_cast<DeletingDestructorFn>(Vtable(second)[0])(second, 1);
        long after = UsedHeapBlocks();
        if (before >= 0 && after >= 0 && after != before) {
            Fail(expected.library, "slot 0 (deleting destructor, flags 1) left " +
                                       std::to_string(after - before) + " heap blocks");
        }
    }

    // Without bit 0 the object is destroyed in place and its memory stays.
    void* third = create();
    if (third) {
        long held = UsedHeapBlocks();
        reinterpret_cast<DeletingDestructorFn>(Vtable(third)[0])(third, 0);
        if (held >= 0 && UsedHeapBlocks() != held) {
            Fail(expected.library, "slot 0 with flags 0 freed the object's memory");
        }
        free(third);
    }
    FreeLibrary(module);
    std::printf("%s %s: type %d, \"%s\"\n", g_failures ? "checked" : "ok", expected.library, type,
                titleText.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    // Where the DLLs are: the given folder, else beside this program.
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char self[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
        folder.assign(self, n);
        folder.erase(folder.find_last_of("\\/"));
    }
    for (const Expected& expected : kPlugIns) {
        CheckPlugIn(folder, expected);
    }
    std::printf("vtable test: %d libraries, %d failures\n", static_cast<int>(std::size(kPlugIns)),
                g_failures);
    return g_failures == 0 ? 0 : 1;
}
