#pragma once
// What a screen reader learns of a table's cells. Qt's own table interface says of a cell
// whether it is selected or checked, but not whether it takes typing; a table whose cells take
// values (the monitor's writable registers) is described by this one instead, which says
// "editable" of each cell whose item is editable and otherwise answers as Qt's does.
class QTableView;

// Makes the table described with editable cells. Call once per table, before a screen reader
// first asks for it.
void Describe_Editable_Cells(QTableView *table);
