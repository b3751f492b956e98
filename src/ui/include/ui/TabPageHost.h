#pragma once

#include <QRect>
#include <QTabBar>
#include <QWidget>

#include <array>

namespace vantrel {

// A tab control that carries one child page per tab: the page of the selected tab is the only
// one visible, placed inside the control's body. The host does not own its pages.
class TabPageHost : public QWidget {
    Q_OBJECT
public:
    static constexpr int MAX_PAGES = 16;
    static constexpr int MIN_TAB_WIDTH = 50;

    explicit TabPageHost(QWidget* parent = nullptr);

    // Adds a tab for the page: its index, or -1 when refused (16 pages already, or a missing
    // caption, page or template id). The first page added is shown, later ones start hidden.
    int addPage(const QString& caption, QWidget* page, int templateId, bool place);

    // Where pages go, in the host's own coordinates: its rectangle less the row of tabs.
    QRect pageArea() const;
    // The page of the selected tab, or null when the selection has no page; index (when given)
    // receives the selection either way.
    QWidget* selectedPage(int* index = nullptr) const;

    QWidget* currentPage() const { return m_currentPage; }
    int pageCount() const { return m_pageCount; }
    int minimumTabWidth() const;
    QTabBar* tabBar() const { return m_tabs; }

    // Selects the page step tabs further on, wrapping round at either end (Ctrl+Tab: 1,
    // Ctrl+Shift+Tab: -1).
    void stepSelection(int step);

    // The tab control's two selection notifications; public so that the owner can route them.
    void selectionChanging(int oldIndex);
    void selectionChanged(int newIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_tabs;
    std::array<QWidget*, MAX_PAGES> m_pages{};
    int m_pageCount = 0;
    QWidget* m_currentPage = nullptr;
    int m_selection = -1; // the selection before a change, for the hide half of the swap
    void focusFirstControl(QWidget* page);
};

} // namespace vantrel
