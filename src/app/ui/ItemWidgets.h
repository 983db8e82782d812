// The combo and list widgets of our layouts. Classes of their own let the accessibility layer
// give them our interfaces (Accessibility.cpp) while Qt's own combos and tables, such as those
// of the file dialogs, keep Qt's.
#pragma once

#include "app/ui/Accessibility.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QTableWidget>

namespace ui {

class ComboWidget : public QComboBox {
public:
    explicit ComboWidget(QWidget* parent = nullptr) : QComboBox(parent) { announceItemChanges(this, model()); }
};

// A list keeps its selection when the click lands below the last row. Assistive technology
// sees its rows as the children of one list (not a table of cells), so its selection and focus
// events name the row.
class ListWidget : public QTableWidget {
public:
    explicit ListWidget(QWidget* parent = nullptr) : QTableWidget(parent) { announceItemChanges(this, model()); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (indexAt(event->position().toPoint()).isValid()) QTableWidget::mousePressEvent(event);
    }
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

}  // namespace ui
