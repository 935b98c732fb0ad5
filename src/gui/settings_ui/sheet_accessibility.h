#pragma once
// What a screen reader is told about the property sheet: each row by its label and value, each
// editor by the row it edits, the "..." button by what it does. The rows are drawn by a
// delegate, so without this their entries would have no names at all.

class QTreeWidgetItem;

namespace nibblet {

class EditorPane;
struct PropertyRow;
class Texts;

// Names the list entry of `row`: its label and value ("Work path, /home/user"), its hint as the
// description.
void nameRowEntry(QTreeWidgetItem* entry, const PropertyRow& row);

// Names the pane's editors after `row` (none: after nothing), and its "..." button after what
// it opens: a folder, a colour, or the row itself.
void nameEditors(EditorPane* pane, const PropertyRow* row, const Texts& texts);

}  // namespace nibblet
