// A plug-in whose windows throw, for the Windows tests: each way a window
// procedure, dialog procedure or hook of ours can meet an exception (a
// command, a nested window's start, a file dialog's own box and its OK, a
// key) must end in the barrier's message and -1, not in the end of the host.

#include <new>
#include <stdexcept>

#include "host/FileDialog.h"
#include "host/PlugIn.h"
#include "host/PlugInEntry.h"
#include "host/Window.h"
#include "win32/Win32Ui.h"
#include "win32/tests/EdgeTestIds.h"

namespace kx {
namespace {

// Opens and, while it opens, runs out of memory.
class InnerWindow : public Window {
  public:
    explicit InnerWindow(Ui& ui) : Window(ui, "Inner Edge Test") {
        AddControl(IDC_EDGE_INNERLABEL);
        AddControl(kIdCancel, "Cancel");
    }

  protected:
    void OnInit() override { throw std::bad_alloc(); }
};

// A file dialog with one box of its own: the box throws, and so does OK.
class ThrowingFileDialog : public FileDialog {
  public:
    explicit ThrowingFileDialog(Ui& ui)
        : FileDialog(ui, Kind::Save, {"Edge Test File", "All Files (*.*)|*.*", "", "", false}) {
        AddControl(IDC_EDGE_FILEBOX, "Throw");
    }

  protected:
    void OnCommand(int id) override {
        if (id == IDC_EDGE_FILEBOX) {
            throw std::runtime_error("thrown by a file dialog's box");
        }
        if (id == kIdOk) {
            throw std::runtime_error("thrown when a file was chosen");
        }
        FileDialog::OnCommand(id);
    }
};

class OuterWindow : public Window {
  public:
    explicit OuterWindow(Ui& ui) : Window(ui, "Window Edge Test") {
        for (int id :
             {IDC_EDGE_THROW, IDC_EDGE_INNER, IDC_EDGE_FILE, IDC_EDGE_KEYS, kIdOk, kIdCancel}) {
            AddControl(id);
        }
    }

  protected:
    void OnCommand(int id) override {
        switch (id) {
            case IDC_EDGE_THROW:
                throw std::runtime_error("thrown by a window command");
            case IDC_EDGE_INNER: {
                InnerWindow inner(ui());
                ui().RunModal(inner);
                break;
            }
            case IDC_EDGE_FILE: {
                ThrowingFileDialog files(ui());
                ui().RunFileDialog(files);
                break;
            }
            case kIdOk:
            case kIdCancel:
                End(id);
                break;
            default:
                break;
        }
    }
    bool OnChar(int, char ch) override {
        if (ch == 'x') {
            throw std::runtime_error("thrown by a key");
        }
        return true;
    }
};

class EdgeTestPlugIn : public PlugInObject<EdgeTestPlugIn> {
  public:
    static constexpr ModelOnFailure kModelOnFailure = ModelOnFailure::Keep;
    using PlugInObject::PlugInObject;

    int KX_PLUGIN_CALL GetType() override { return eTypeTool; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Window Edge Test"; }
    int Run(msModel*) {
        OuterWindow window(*host_.ui);
        return host_.ui->RunModal(window) == kIdOk ? 0 : -1;
    }
};

const DialogBinding kDialogs[] = {
    {"Window Edge Test", IDC_EDGE_THROW, IDD_EDGE_OUTER},
    {"Inner Edge Test", IDC_EDGE_INNERLABEL, IDD_EDGE_INNER},
};

}  // namespace

std::span<const DialogBinding> LibraryDialogs() {
    return kDialogs;
}

}  // namespace kx

KX_DEFINE_PLUGIN_ENTRY(kx::EdgeTestPlugIn)
