#include "ui/TabPageHost.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace vantrel {
namespace {

// Insets of the page area; the top leaves room for the row of tabs.
constexpr int PAGE_INSET_LEFT = 4;
constexpr int PAGE_INSET_TOP = 25;
constexpr int PAGE_INSET_RIGHT = 4;
constexpr int PAGE_INSET_BOTTOM = 4;

class HostTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;
    int minimumWidth = 0;

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(std::max(size.width(), minimumWidth));
        return size;
    }
};

} // namespace

TabPageHost::TabPageHost(QWidget* parent)
    : QWidget(parent)
    , m_tabs(new HostTabBar(this)) {
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->move(2, 0);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        // A keyboard user working on the old page goes on working on the new one.
        QWidget* focus = QApplication::focusWidget();
        const bool focusOnPage = focus && m_currentPage && m_currentPage->isAncestorOf(focus);
        selectionChanging(m_selection);
        m_selection = index;
        selectionChanged(index);
        if (focusOnPage)
            focusFirstControl(m_currentPage);
    });
}

int TabPageHost::minimumTabWidth() const {
    return static_cast<HostTabBar*>(m_tabs)->minimumWidth;
}

int TabPageHost::addPage(const QString& caption, QWidget* page, int templateId, bool place) {
    if (m_pageCount >= MAX_PAGES)
        return -1;
    static_cast<HostTabBar*>(m_tabs)->minimumWidth = MIN_TAB_WIDTH;
    if (!page || templateId == 0 || caption.isEmpty())
        return -1;
    if (page->parentWidget() != this)
        page->setParent(this);
    page->hide();

    // Adding the first tab selects it; the page is shown below, once it is registered.
    const QSignalBlocker block(m_tabs);
    const int index = m_tabs->insertTab(m_tabs->count(), caption);
    m_tabs->resize(m_tabs->sizeHint());
    if (place)
        page->setGeometry(pageArea());
    m_pages[static_cast<std::size_t>(m_pageCount)] = page;
    ++m_pageCount;
    if (index == 0) {
        m_selection = 0;
        m_currentPage = page;
        page->show();
    }
    return index;
}

void TabPageHost::stepSelection(int step) {
    const int count = std::min(m_tabs->count(), m_pageCount);
    if (count == 0)
        return;
    const int current = std::max(0, m_tabs->currentIndex());
    m_tabs->setCurrentIndex(((current + step) % count + count) % count);
}

void TabPageHost::focusFirstControl(QWidget* page) {
    for (QWidget* next = page->nextInFocusChain(); next != page; next = next->nextInFocusChain()) {
        if (page->isAncestorOf(next) && next->isEnabled() && next->isVisible() &&
            (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

QRect TabPageHost::pageArea() const {
    return rect().adjusted(PAGE_INSET_LEFT, PAGE_INSET_TOP, -PAGE_INSET_RIGHT, -PAGE_INSET_BOTTOM);
}

QWidget* TabPageHost::selectedPage(int* index) const {
    const int selection = m_tabs->currentIndex();
    if (index)
        *index = selection;
    if (selection < 0 || selection >= m_pageCount)
        return nullptr;
    return m_pages[static_cast<std::size_t>(selection)];
}

void TabPageHost::selectionChanging(int oldIndex) {
    if (oldIndex >= 0 && oldIndex < m_pageCount)
        m_pages[static_cast<std::size_t>(oldIndex)]->hide();
}

void TabPageHost::selectionChanged(int newIndex) {
    if (newIndex < 0 || newIndex >= m_pageCount)
        return;
    m_currentPage = m_pages[static_cast<std::size_t>(newIndex)];
    m_currentPage->show();
}

void TabPageHost::paintEvent(QPaintEvent*) {
    // The body frame below the tabs, drawn the way the style draws a tab widget's pane.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = rect().adjusted(0, m_tabs->height() - 1, 0, 0);
    option.tabBarSize = m_tabs->size();
    option.tabBarRect = m_tabs->geometry();
    option.shape = m_tabs->shape();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TabPageHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabs->resize(m_tabs->sizeHint());
}

} // namespace vantrel
