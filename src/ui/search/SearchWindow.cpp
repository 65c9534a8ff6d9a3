#include "ui/search/SearchWindow.h"

#include "core/Colors.h"
#include "core/VolumeTable.h"
#include "core/search/LibrarySearch.h"
#include "core/search/SearchWindowTexts.h"
#include "ui/WindowFont.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolTip>
#include <QVBoxLayout>

namespace tavimo {

SearchWindow::SearchWindow(LibrarySearch& search, const VolumeTable& volumes, QWidget* parent)
    : QMainWindow(parent), search_(search), volumes_(volumes) {
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(searchwindowtexts::windowTitle({}, 0));
    setFont(windowFont(12));
    // Closing it hides it; the program goes on.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    field_ = new QLineEdit(central);
    field_->setObjectName(QStringLiteral("searchText"));
    field_->setClearButtonEnabled(true);
    grid_ = new ScrollBox(central);
    grid_->setObjectName(QStringLiteral("ScrollBox"));
    grid_->setWheelScrollsTwice(false);
    grid_->setAcceptDrops(false);
    grid_->viewport()->setAcceptDrops(false);
    grid_->setBackgroundColor(colors::buttonFace());
    layout->addWidget(field_);
    layout->addWidget(grid_, 1);
    setCentralWidget(central);

    resultPanel_ = new QLabel(this);
    indexPanel_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(120);
    statusBar()->addWidget(resultPanel_, 1);
    statusBar()->addPermanentWidget(indexPanel_);
    statusBar()->addPermanentWidget(progress_);

    auto* close = new QAction(this);
    close->setShortcut(Qt::Key_Escape);
    close->setShortcutContext(Qt::WindowShortcut);
    addAction(close);
    connect(close, &QAction::triggered, this, &QWidget::close);

    connect(field_, &QLineEdit::textChanged, this, [this] { refresh(false); });
    connect(grid_, &ScrollBox::currentChanged, this, &SearchWindow::showCurrent);
    // The next page of cells comes as the last one scrolls into view.
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        const QScrollBar* bar = grid_->verticalScrollBar();
        if (value >= bar->maximum() - bar->pageStep() && addPage())
            grid_->layOut();
    });
    connect(&search_, &LibrarySearch::changed, this, [this] {
        if (isVisible())
            refresh(true);
        else
            stale_ = true;
    });
    connect(&search_, &LibrarySearch::progressChanged, this, &SearchWindow::showIndexState);
    connect(&search_, &LibrarySearch::built, this, &SearchWindow::showIndexState);
    field_->installEventFilter(this);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    resize(640, 480);
    showIndexState();
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (std::exchange(stale_, false))
        refresh(true);
    showIndexState();
}

void SearchWindow::showIndexState() {
    const bool building = search_.isBuilding();
    indexPanel_->setText(building
                             ? searchwindowtexts::building(search_.progress())
                             : searchwindowtexts::unreadableMessage(search_.unreadableCount()));
    progress_->setVisible(building);
    progress_->setValue(search_.progress());
}

void SearchWindow::refresh(bool keepPlace) {
    // A change of the index keeps the place in the results (a save comes every second while
    // thumbnails are made); a change of the text starts them again from the top.
    const int current = keepPlace ? std::max(grid_->currentIndex(), 0) : 0;
    const int scrolled = keepPlace ? grid_->verticalScrollBar()->value() : 0;

    results_ = search_.find(field_->text());
    mounted_ = volumes_.volumes();
    pictures_.forget();
    setWindowTitle(searchwindowtexts::windowTitle(field_->text(), int(results_.hits.size())));
    grid_->clear();
    while (addPage() && grid_->count() <= current) {
    }
    grid_->layOut();
    grid_->setCurrentIndex(std::min(current, grid_->lastIndex()));
    grid_->verticalScrollBar()->setValue(scrolled);
    showCurrent(grid_->currentIndex());
}

bool SearchWindow::addPage() {
    const int first = grid_->count();
    const int end = std::min<qsizetype>(first + kPage, qsizetype(results_.hits.size()));
    for (int i = first; i < end; ++i) {
        const auto details = search_.details(results_.hits[size_t(i)], mounted_);
        TVFPanel& cell = grid_->addCell(details ? details->name : QString());
        if (details)
            cell.SetPicture(pictures_.picture(details->pictureStore, details->pictureIndex));
    }
    return end > first;
}

std::optional<SearchHitDetails> SearchWindow::detailsOf(int cell) const {
    if (cell < 0 || cell >= int(results_.hits.size()))
        return std::nullopt;
    return search_.details(results_.hits[size_t(cell)], mounted_);
}

QString SearchWindow::toolTipOf(int cell) const {
    const auto details = detailsOf(cell);
    return details ? searchwindowtexts::facts(*details).join(u'\n') : QString();
}

void SearchWindow::showCurrent(int cell) {
    const auto details = detailsOf(cell);
    resultPanel_->setText(details ? searchwindowtexts::facts(*details).join(QStringLiteral("　"))
                                  : QString());
}

void SearchWindow::activate(int cell, bool play) {
    if (const auto details = detailsOf(cell))
        Q_EMIT(play ? playRequested(*details) : openRequested(*details));
}

bool SearchWindow::gridKey(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        activate(grid_->currentIndex(), modifiers & Qt::ShiftModifier);
        return true;
    case Qt::Key_Left:
        grid_->selectPrevious();
        return true;
    case Qt::Key_Right:
        if (!grid_->selectNext() && addPage()) {
            grid_->layOut();
            grid_->selectNext();
        }
        return true;
    case Qt::Key_Down:
        if (!grid_->selectDown() && addPage()) {
            grid_->layOut();
            grid_->selectDown();
        }
        return true;
    case Qt::Key_Up:
        // From the top row back to the text.
        if (!grid_->selectUp())
            field_->setFocus();
        return true;
    default:
        return false;
    }
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == field_ || watched == grid_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == grid_)
            return gridKey(key->key(), key->modifiers());
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            activate(0, key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Down && grid_->count() > 0) {
            grid_->select(std::max(grid_->currentIndex(), 0));
            return true;
        }
        return false;
    }
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const ScrollBox::Hit hit = grid_->hitTest(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && hit.part != ScrollBox::Part::None)
            activate(hit.index, false);
        return true;
    }
    if (watched == grid_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const ScrollBox::Hit hit = grid_->hitTest(help->pos());
        if (hit.part == ScrollBox::Part::None)
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), toolTipOf(hit.index), grid_->viewport(),
                               grid_->cellRect(hit.index));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tavimo
