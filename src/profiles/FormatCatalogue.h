// The format catalogue the user picks an output profile from: three fixed
// categories of entries, shown as a drop-down list of header rows and entry
// rows in the main window and in the settings dialog. FormatListModel is the
// list's logic; the windows only draw its rows and forward mouse presses.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

class IniFile;

struct TFormatCategory {
    QString name;
    QStringList entries;  // display names; position p has code index * 100 + p
};

// The fixed catalogue, in order.
const QList<TFormatCategory>& FormatCatalogue();
// Every format code of the catalogue, in catalogue order.
QList<int> FormatCatalogueCodes();
// The display name of a format code; empty when no entry has it.
QString FormatEntryName(int code);

// One row of the list.
class TItemInfo {
  public:
    bool IsEntry = false;
    bool IsCategory = false;
    QString Note;  // nothing reads it
    bool Collapsed = false;
    int Code = 0;  // header: the category index; entry: the format code
};

class FormatListModel {
  public:
    struct Row {
        QString text;
        TItemInfo info;
    };

    static constexpr int kRowHeight = 20;
    static constexpr int kMainListLimit = 358;
    static constexpr int kDialogListLimit = 247;
    // A press this close to a header row's left edge toggles it.
    static constexpr int kToggleZone = 20;

    // Default "FormatName" of the format box and the catalogue.
    static QString DefaultFormatName();

    // Fills the rows from the catalogue with the collapsed states of section
    // "lstformat" (collapsed when absent), puts the stored "FormatName" into
    // the format box and makes the row with that text (trimmed) current.
    void Build(const IniFile& settings);

    // Expands a collapsed header row or collapses an expanded one; false (and
    // nothing changes) when the row is not a header.
    bool ToggleCategory(int row);

    // Writes every header row's collapsed flag to section "lstformat".
    bool SaveFormatListState(IniFile& settings) const;

    // The main window's choice of an entry row: stores "FormatName" and
    // "FormatCode", shows the name in the box. False for a header or no row.
    bool ChooseEntryInMainWindow(int row, IniFile& settings);
    // The settings dialog's choice: only the dialog's current profile changes.
    struct Choice {
        QString name;
        QString codeText;
    };
    std::optional<Choice> ChooseEntryInDialog(int row);

    int RowCount() const { return int(rows_.size()); }
    const Row& RowAt(int row) const { return rows_.at(row); }
    const QList<Row>& Rows() const { return rows_; }
    // The first row whose text equals text with blanks trimmed, or -1.
    int RowOfText(const QString& text) const;

    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row);  // -1 or out of range: no current row
    // Makes the row of text current (none when no row has it); returns it.
    int SelectText(const QString& text);

    const QString& BoxText() const { return boxText_; }
    void SetBoxText(const QString& text) { boxText_ = text; }

    // The entry-name table, filled when the list is built.
    QString EntryName(int category, int position) const;

    // Height of the open drop-down: rows x 20 + 20, or the limit once rows x 20
    // exceeds it (358 in the main window, 247 in the dialog).
    int ListHeight(int limit) const;
    // The main window's height right after building: (rows + 1) x 20 while
    // rows x 20 < 363, else 362.
    int BuildHeightMain() const;

  private:
    QList<Row> rows_;
    QList<QStringList> entryNames_;
    QString boxText_;
    int currentRow_ = -1;
};

}  // namespace fw
