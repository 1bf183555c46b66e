#include "ui/SummaryGrid.h"

#include "processing/ProcessingRun.h"

#include <QColor>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {
constexpr int Rows = 6;
constexpr int Columns = 4;
constexpr int ColumnWidths[Columns] = {60, 375, 60, 80};
constexpr int RowHeight = 21;

// Counts and amounts stand at the right: 3 pixels from the cell's right edge,
// 2 below its top, over the cell's own background.
class RightAlignedDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const int width = opt.fontMetrics.horizontalAdvance(text);
        const QRect r = option.rect;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(QPalette::Text));
        painter->drawText(QRect(r.right() + 1 - width - 3, r.top() + 2, width, r.height() - 2),
                          Qt::AlignLeft | Qt::AlignTop, text);
        painter->restore();
    }
};

QTableWidgetItem *cell(QTableWidget *grid, int row, int column)
{
    QTableWidgetItem *item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        // The first row and column are fixed cells, as on a string grid.
        if (row == 0 || column == 0) {
            item->setBackground(QColor(236, 236, 236));
            item->setForeground(QColor(Qt::black));
        }
        grid->setItem(row, column, item);
    }
    return item;
}
} // namespace

void InitSummaryGrid(QTableWidget *grid)
{
    grid->setRowCount(Rows);
    grid->setColumnCount(Columns);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    // For reading only: Tab would otherwise walk its 24 cells before the fields after it.
    grid->setFocusPolicy(Qt::NoFocus);
    grid->verticalHeader()->setMinimumSectionSize(1);
    for (int column : {2, 3})
        grid->setItemDelegateForColumn(column, new RightAlignedDelegate(grid));
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column)
            cell(grid, row, column);
}

void SetupSummaryGrid(QTableWidget *grid)
{
    for (int row = 0; row < Rows; ++row)
        grid->setRowHeight(row, RowHeight);
    for (int column = 0; column < Columns; ++column)
        grid->setColumnWidth(column, ColumnWidths[column]);
    cell(grid, 0, 0)->setText(QStringLiteral("Code"));
    cell(grid, 0, 1)->setText(QStringLiteral("Bestand naam"));
}

void FillSummaryGrid(QTableWidget *grid, const TIncassobatches &batches)
{
    const QList<QStringList> rows = SummaryGridRows(batches);
    for (int k = 0; k < rows.size() && k + 1 < Rows; ++k)
        for (int column = 0; column < Columns; ++column)
            cell(grid, k + 1, column)->setText(rows[k].value(column));
}

void ClearSummaryGrid(QTableWidget *grid)
{
    TIncassobatches empty;
    for (int k = 0; k < SeqCodes().size() && k < int(empty.size()); ++k)
        empty[k].SeqCode = SeqCodes().at(k);
    empty.back().SeqCode = QStringLiteral("Totaal");
    FillSummaryGrid(grid, empty);
}
