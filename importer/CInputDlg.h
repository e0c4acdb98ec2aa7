#pragma once
// The hardpoint filter dialog: an editable drop-down holding the current
// filter, OK and Cancel.

#include <string>

#include "host/Window.h"

namespace kx {

class CInputDlg : public Window {
  public:
    static constexpr int kFilterBox = 1019;

    CInputDlg(Ui& ui, std::string filter);

    // The text the box held when OK ended the dialog.
    const std::string& Filter() const { return filter_; }

  protected:
    void OnInit() override;
    void OnCommand(int id) override;
    void OnSelect(int id, int index) override;

  private:
    std::string filter_;
};

}  // namespace kx
