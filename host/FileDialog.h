#pragma once
// A file-open or file-save dialog with controls of its own beside the file
// list (check boxes, for example), as a window model: the derived dialog
// declares its controls by id in its constructor, sets them up in OnInit and
// keeps their rules in OnCommand, as any window does. The driver shows the
// platform's file dialog around them and tells the model which file the
// person named and which folder the dialog shows. The controls' states and
// the shown folder stay readable after the dialog ends, by OK or by Cancel.

#include <optional>
#include <string>

#include "host/Window.h"

namespace kx {

class FileDialog : public Window {
  public:
    enum class Kind { Open, Save };
    // The box the file's name is typed into, as the platform's dialog numbers it.
    static constexpr int kFileNameBox = 1152;

    // `initialFolder` is the folder shown first (empty: the platform's choice).
    FileDialog(Ui& ui, Kind kind, FileDialogRequest request, std::string initialFolder = {});

    Kind DialogKind() const { return kind_; }
    const FileDialogRequest& Request() const { return request_; }

    // The driver: the person named a file (typed or picked in the list); the
    // shown folder follows it when the path names one.
    void ChooseFile(std::string path);
    // The driver: the person moved to another folder.
    void ShowFolder(std::string folder) { shownFolder_ = std::move(folder); }

    // After the run: the named file on OK, nothing on Cancel.
    std::optional<std::string> Chosen() const;
    // The folder the dialog showed last, without a separator at its end.
    const std::string& ShownFolder() const { return shownFolder_; }

  protected:
    // Sets the file name box from the request; a derived dialog calls it
    // first from its own OnInit.
    void OnInit() override;
    // OK ends the dialog when a file is named, Cancel ends it; a derived
    // dialog passes the ids it does not handle itself on to this.
    void OnCommand(int id) override;
    void OnEdit(int id, const std::string& text) override;

  private:
    Kind kind_;
    FileDialogRequest request_;
    std::string shownFolder_;
};

}  // namespace kx
