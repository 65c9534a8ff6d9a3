#include "core/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace tavimo::colors {

namespace {

// Windows system colour indexes that have a clear counterpart in a Qt palette.
QPalette::ColorRole roleOfSystemIndex(int index) {
    switch (index) {
    case 5: // window background
        return QPalette::Base;
    case 6: // window frame
        return QPalette::Dark;
    case 8: // window text
        return QPalette::Text;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlighted text
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Mid;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    default: // 15 button face, and everything without a counterpart
        return QPalette::Button;
    }
}

} // namespace

QColor buttonFace() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return QColor(0xF0, 0xF0, 0xF0);
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
}

QColor fromStored(qint32 stored) {
    const quint32 value = quint32(stored);
    if (isSystemColor(stored)) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
            return buttonFace();
        return QGuiApplication::palette().color(QPalette::Active,
                                                roleOfSystemIndex(int(value & 0xFFu)));
    }
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

qint32 toStored(const QColor& color) {
    const QColor rgb = color.toRgb();
    return qint32(quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16));
}

} // namespace tavimo::colors
