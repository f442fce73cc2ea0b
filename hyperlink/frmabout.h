#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace linkwell {

class LinkwellTxt;

// The library's about box: names the library and carries a hyperlink control that links to
// the maker's web site. One box for the whole library, loaded when shown and unloaded when
// closed, so that every showing starts from its design state.
class frmAbout final : public QDialog {
public:
    static constexpr QSize ClientSize {5460, 4620}; // twips

    frmAbout();
    ~frmAbout() override;

    // Loads the box, shows it modally owned by `owner`, and unloads it once it is closed.
    static void showModal(QWidget* owner);
    // The box while it is loaded, else null.
    static frmAbout* loaded();

    // The background, drawn from the top-left corner of the client area.
    static QImage backgroundPicture();
    static QIcon icon();

    QPushButton* cmdClose = nullptr;
    QLabel* Label1 = nullptr;
    std::shared_ptr<LinkwellTxt> LinkwellTxt1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace linkwell
