#pragma once
// The importer's file-open dialog: the platform's dialog with six option
// boxes under its file list. Their states, and the folder the dialog shows,
// are read back after it ends, by OK or by Cancel.

#include <string>

#include "host/FileDialog.h"
#include "importer/ImporterOptions.h"

namespace kx {

class CCMPFileDialog : public FileDialog {
  public:
    static constexpr int kAutoLoad = 1021;
    static constexpr int kAutoOpen = 1022;
    static constexpr int kImportHardpoints = 1023;
    static constexpr int kExtract = 1024;
    static constexpr int kClearModel = 1025;
    static constexpr int kAfterModel = 1026;

    // `pattern` is "*.cmp; *3db" for models, "*.mat" for material libraries.
    CCMPFileDialog(Ui& ui, const std::string& pattern, const std::string& folder,
                   const ImporterOptions& options);

    bool Checked(int id) const { return IsChecked(id); }

    // The boxes' states into `options` and the store, with the folder shown
    // last; `chosen`: the dialog ended by choosing a file.
    void KeepBoxes(ImporterOptions& options, SettingsStore& store, bool chosen) const;

  protected:
    void OnInit() override;
    void OnCommand(int id) override;

  private:
    ImporterOptions options_;
};

// The request of that dialog: the pattern in its filter and as the first
// file name.
FileDialogRequest ImporterFileRequest(const std::string& pattern);

}  // namespace kx
