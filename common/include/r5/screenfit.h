#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QAbstractScrollArea;
class QScrollArea;
class QWidget;

namespace r5 {

// Keeps a main window on the screen it opens on, at any screen size and scaling: the window's
// controls go on a page inside a scroll area, and the window is never larger than the screen's
// free area, so where the page is taller or wider than that, it scrolls instead of running off
// the screen. On first show the window is centred on its screen (or, if it was placed, kept
// within it, title bar visible).
class ScreenFit final : public QObject
{
    Q_OBJECT
public:
    enum class Sizing {
        Fixed,     // the window has one size: the page's (shown whole where the screen allows)
        Resizable, // the window opens at the page's size and the user may resize it
    };

    // `design` is the size the window was drawn for; the page gets at least that, and more
    // where its controls need more at the fonts they have.
    ScreenFit(QWidget *window, Sizing sizing, QSize design = {});

    // Lay the window's controls out on this page.
    QWidget *page() const { return m_page; }
    QScrollArea *scrollArea() const { return m_area; }

    // The margins the style gives a layout set on the window itself (a page gets narrower ones).
    QMargins windowMargins() const;

    // The size the page wants: the design size, or more where its controls need more.
    QSize wanted() const;

    // Sizes the window for the screen it is on now (and places it, on first show).
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMargins frameMargins() const;
    void place();

    QWidget *m_window;
    QScrollArea *m_area;
    QWidget *m_page;
    Sizing m_sizing;
    QSize m_design;
    bool m_placed = false;
};

// Keeps `view` (a list, a table or a text box) high enough for `rows` rows of its own text,
// at whatever font it has now or is given later.
void reserveRows(QAbstractScrollArea *view, int rows);

} // namespace r5
