#pragma once

#include <QDialog>

#include "about/GifPlayer.h"
#include "about/LinkLabel.h"

// The About dialog: product name and version, the maker's web page and support mail as
// links, and the animated picture in its top-left corner. Built anew for every opening.
class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
    ~CAboutBox() override;

    static constexpr int kFadeTime = 1000;

protected:
    // OK leaves a fading image of the dialog behind; Esc and the close box do not.
    void accept() override;

private:
    void OnInitDialog();

    CLinkLabel m_linkSupportMail;
    CLinkLabel m_linkWebPage;
    CGifPlayer m_animation;
};
