#pragma once

#include <QColor>
#include <QTabBar>
#include <QTabWidget>

namespace r5setup {

// Tabs drawn by the window: plain button face for the others, the page's own colour for the
// selected one, so the installer sees at a glance which page is open.
class PageTabBar final : public QTabBar
{
    Q_OBJECT
public:
    explicit PageTabBar(QWidget *parent = nullptr);

    static QColor selectedColour(int index);

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
};

// `PageControl1`: the three setting pages.
class PageControl final : public QTabWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr);
    PageTabBar *pageTabBar() const { return m_bar; }

    // The height the window was drawn with; the pages get more where their controls need it,
    // and as little as their controls need on a short screen.
    void setDesignHeight(int height);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    PageTabBar *m_bar;
    int m_designHeight = 0;
};

} // namespace r5setup
