#pragma once

#include <QWidget>

class QTableWidget;

namespace r5setup {

// `TabSheet2` "    [AP 설정]    ": current access point, the list of access points the
// device sees (`APList_Grid`) and the signal strength panel.
//
// `APList_Grid` keeps its headings in the horizontal header; entry i (counting from 1) is
// table row i - 1.
class ApPage final : public QWidget
{
    Q_OBJECT
public:
    explicit ApPage(QWidget *parent = nullptr);
    static QString caption();

    QTableWidget *grid() const { return m_grid; }

    // The grid as the window starts with it: five columns.
    void prepareGrid();

public Q_SLOTS:
    // Six columns with their headings and widths; entries already in the grid stay.
    void Btn_InitGridClick();

private:
    QTableWidget *m_grid;
};

} // namespace r5setup
