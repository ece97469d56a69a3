#include "app/WinSkins.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace fw {

namespace {

void EnsureFusion() {
    if (QApplication::style() &&
        QApplication::style()->name().compare("fusion", Qt::CaseInsensitive) == 0)
        return;
    if (QStyle* s = QStyleFactory::create("Fusion")) QApplication::setStyle(s);
}

}  // namespace

QPalette SkinPalette(int skinIndex) {
    EnsureFusion();
    const TSkinTheme* t = SkinOfIndex(skinIndex);
    QPalette p = QApplication::style()->standardPalette();
    if (!t) return p;
    const QColor window = ToColor(t->Window);
    const QColor button = ToColor(t->Button);
    const QColor accent = ToColor(t->Accent);
    const QColor frame = ToColor(t->Frame);
    const QColor text(24, 24, 28);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::AlternateBase, ToColor(t->OddRowTint));
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, accent);
        p.setColor(group, QPalette::HighlightedText, ToColor(t->AccentText));
        p.setColor(group, QPalette::Light, window.lighter(112));
        p.setColor(group, QPalette::Midlight, button.lighter(106));
        p.setColor(group, QPalette::Mid, frame);
        p.setColor(group, QPalette::Dark, frame.darker(130));
        p.setColor(group, QPalette::Shadow, frame.darker(180));
        p.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::Link, accent);
        p.setColor(group, QPalette::LinkVisited, accent.darker(120));
        p.setColor(group, QPalette::PlaceholderText, QColor(120, 120, 120));
    }
    const QColor disabledText(150, 150, 150);
    p.setColor(QPalette::Disabled, QPalette::Window, window);
    p.setColor(QPalette::Disabled, QPalette::Button, button);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Highlight, frame);
    p.setColor(QPalette::Disabled, QPalette::Mid, frame);
    return p;
}

void ApplySkin(int skinIndex) {
    if (!SkinOfIndex(skinIndex)) return;
    QApplication::setPalette(SkinPalette(skinIndex));
}

}  // namespace fw
