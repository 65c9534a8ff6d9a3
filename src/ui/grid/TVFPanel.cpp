#include "ui/grid/TVFPanel.h"

#include "core/TitleFit.h"
#include "ui/grid/ScrollBox.h"

#include <QApplication>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextOption>
#include <QWidget>

namespace tavimo {

void TVFPanel::changed() const {
    if (owner_)
        owner_->cellChanged(*this);
}

void TVFPanel::SetPicture(const CellPicture& picture) {
    picture_ = picture;
    changed();
}

void TVFPanel::SetPicture(const QImage& picture) {
    SetPicture(CellPicture::fromImage(picture));
}

void TVFPanel::SetTitle(const QString& title) {
    title_ = title;
    caption_.clear();
    captionFitted_ = false;
    changed();
}

const QString& TVFPanel::caption(const QFontMetrics& metrics) const {
    if (!captionFitted_) {
        caption_ = fitTitle(title_, geometry().caption.width(), metrics);
        captionFitted_ = true;
    }
    return caption_;
}

void TVFPanel::SetSmall(int small) {
    const qint8 value = small == kSmallCells ? kSmallCells : kLargeCells;
    if (value == small_)
        return;
    small_ = value;
    // The caption is fitted again from the full title to the new width.
    caption_.clear();
    captionFitted_ = false;
    changed();
}

void TVFPanel::SetSyncMark(bool visible) {
    if (visible == syncMark_)
        return;
    syncMark_ = visible;
    changed();
}

QString TVFPanel::name() const {
    return QStringLiteral("vframe") + QString::number(index_);
}

void TVFPanel::SetCellColor(const QColor& color) {
    cellColor_ = color.rgb();
    changed();
}

void TVFPanel::SetFontColor(const QColor& color) {
    fontColor_ = color.rgb();
    changed();
}

void TVFPanel::CopyFrom(const TVFPanel& other) {
    if (&other == this)
        return;
    picture_ = other.picture_;
    title_ = other.title_;
    if (other.small_ == small_ && other.captionFitted_) {
        caption_ = other.caption_;
        captionFitted_ = true;
    } else {
        caption_.clear();
        captionFitted_ = false;
    }
    bookmark_ = other.bookmark_;
    playCount_ = other.playCount_;
    syncMark_ = other.syncMark_;
    changed();
}

void TVFPanel::SwapWith(TVFPanel& other) {
    if (&other == this)
        return;
    TVFPanel temporary;
    temporary.SetSmall(small_);
    temporary.CopyFrom(*this);
    CopyFrom(other);
    other.CopyFrom(temporary);
}

void TVFPanel::paint(QPainter& painter, const QPoint& origin, const PaintContext& context) const {
    const CellGeometry& g = geometry();
    QStyle* style = context.widget ? context.widget->style() : QApplication::style();
    const QPalette palette = context.widget ? context.widget->palette() : QApplication::palette();

    const QRect dirty = context.dirty.isNull() ? QRect(origin, g.cell) : context.dirty;
    painter.fillRect(QRect(origin, g.cell).intersected(dirty), QColor::fromRgb(cellColor_));

    // The picture button: the standard face, the picture at its own size centred on it (a
    // 120 x 90 picture on the small button shows its central 80 x 60), the focus mark on top.
    const QRect button = g.picture.translated(origin);
    if (button.intersects(dirty))
        paintButton(painter, button, style, palette, context);

    // The caption: wrapped at spaces (and inside a word too long for a line), centred, cut off
    // at the caption's height; "&" is shown as it is.
    const QRect captionRect = g.caption.translated(origin);
    const QString& text = caption(painter.fontMetrics());
    if (!text.isEmpty() && captionRect.intersects(dirty)) {
        painter.save();
        painter.setClipRect(captionRect, Qt::IntersectClip);
        painter.setPen(context.focused ? focusedCaptionColor() : QColor::fromRgb(fontColor_));
        QTextOption option(Qt::AlignHCenter | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter.drawText(QRectF(captionRect), text, option);
        painter.restore();
    }

    // The folder-sync check box, always shown ticked.
    if (syncMark_ && g.syncMark.translated(origin).intersects(dirty)) {
        const QRect box = g.syncMark.translated(origin);
        painter.fillRect(box, QColor::fromRgb(cellColor_));
        QStyleOptionButton checkOption;
        checkOption.palette = palette;
        checkOption.state = QStyle::State_Enabled | QStyle::State_On;
        const int side = std::min(
            box.height(), style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, context.widget));
        checkOption.rect = QRect(box.x() + 1, box.y() + (box.height() - side) / 2, side, side);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &checkOption, &painter, context.widget);
    }
}

void TVFPanel::paintButton(QPainter& painter, const QRect& button, QStyle* style,
                           const QPalette& palette, const PaintContext& context) const {
    QStyleOptionButton buttonOption;
    buttonOption.rect = button;
    buttonOption.palette = palette;
    buttonOption.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (context.focused)
        buttonOption.state |= QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_PushButtonBevel, &buttonOption, &painter, context.widget);
    if (!context.glyph.isNull()) {
        painter.save();
        painter.setClipRect(button, Qt::IntersectClip);
        const QPoint at(button.x() + (button.width() - context.glyph.width()) / 2,
                        button.y() + (button.height() - context.glyph.height()) / 2);
        painter.drawImage(at, context.glyph);
        painter.restore();
    }
    if (context.focused) {
        // The focus mark: an outline in the style's highlight colour around the picture, which
        // covers the button face where a style would put its own mark.
        painter.save();
        painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(button).adjusted(1, 1, -1, -1));
        painter.restore();
    }
}

} // namespace tavimo
