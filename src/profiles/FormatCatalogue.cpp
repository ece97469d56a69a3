#include "profiles/FormatCatalogue.h"

#include "app/IniFile.h"

namespace fw {

const QList<TFormatCategory>& FormatCatalogue() {
    static const QList<TFormatCategory> catalogue = {
        {QStringLiteral("Flash Format"), {QStringLiteral("Flash SWF Format (*.swf)")}},
        {QStringLiteral("General Video formates"),
         {QStringLiteral("MPEG-1 Video (*.mpg)"), QStringLiteral("MPEG-2 Video (*.mpg)"),
          QStringLiteral("MPEG-4 Video (*.mp4)"), QStringLiteral("H.264/MPEG-4 AVC Video (*.mp4)"),
          QStringLiteral("AVI Video (*.avi)"), QStringLiteral("WMV Video (*.wmv)"),
          QStringLiteral("Divx Video (*.avi)"), QStringLiteral("Xvid Video (*.avi)"),
          QStringLiteral("DV - NTSC -Digital Video Format (*.dv)"),
          QStringLiteral("DV - PAL -Digital Video Format (*.dv)")}},
        {QStringLiteral("General Audio formates"),
         {QStringLiteral("MP3 MPEG Layer-3 Audio (*.mp3)"),
          QStringLiteral("AAC Advenced Audio Codec (*.aac)"),
          QStringLiteral("M4A MPEG-4 Audio (*.m4a)"),
          QStringLiteral("WMA - Windows Meida Audio (*.wma)"),
          QStringLiteral("WAV - Waveform Audio (*.wav)"),
          QStringLiteral("OGG Vorbis Audio Codec (*.ogg)"),
          QStringLiteral("AC-3 Audio Codec (*.ac3)")}},
    };
    return catalogue;
}

QList<int> FormatCatalogueCodes() {
    QList<int> codes;
    const auto& cat = FormatCatalogue();
    for (int i = 0; i < cat.size(); ++i)
        for (int p = 0; p < cat[i].entries.size(); ++p) codes.append(i * 100 + p);
    return codes;
}

QString FormatEntryName(int code) {
    if (code < 0) return {};
    const auto& cat = FormatCatalogue();
    const int index = code / 100;
    const int position = code % 100;
    if (index >= cat.size() || position >= cat[index].entries.size()) return {};
    return cat[index].entries[position];
}

QString FormatListModel::DefaultFormatName() {
    return QStringLiteral("Apple iPod Video MPEG-4 Movie (*.mp4)");
}

void FormatListModel::Build(const IniFile& settings) {
    rows_.clear();
    entryNames_.clear();
    currentRow_ = -1;
    const auto& cat = FormatCatalogue();
    for (int index = 0; index < cat.size(); ++index) {
        Row header;
        header.text = cat[index].name;
        header.info.IsCategory = true;
        header.info.Code = index;
        header.info.Collapsed =
            settings.ReadBool(QStringLiteral("lstformat"), QString::number(index), true);
        rows_.append(header);
        entryNames_.append(cat[index].entries);
        if (!header.info.Collapsed) {
            for (int p = 0; p < cat[index].entries.size(); ++p) {
                Row entry;
                entry.text = cat[index].entries[p];
                entry.info.IsEntry = true;
                entry.info.Code = index * 100 + p;
                rows_.append(entry);
            }
        }
    }
    boxText_ = settings.ReadString(QStringLiteral("settings"), QStringLiteral("FormatName"),
                                   DefaultFormatName());
    SelectText(boxText_);
}

bool FormatListModel::ToggleCategory(int row) {
    if (row < 0 || row >= rows_.size() || !rows_[row].info.IsCategory) return false;
    Row& header = rows_[row];
    const int index = header.info.Code;
    if (header.info.Collapsed) {
        const QStringList names =
            index >= 0 && index < entryNames_.size() ? entryNames_[index] : QStringList();
        for (int p = 0; p < names.size(); ++p) {
            Row entry;
            entry.text = names[p];
            entry.info.IsEntry = true;
            entry.info.Code = index * 100 + p;
            rows_.insert(row + p + 1, entry);
        }
        rows_[row].info.Collapsed = false;
        if (currentRow_ > row) currentRow_ += int(names.size());
    } else {
        int removed = 0;
        while (row + 1 < rows_.size() && rows_[row + 1].info.IsEntry) {
            rows_.removeAt(row + 1);
            ++removed;
        }
        rows_[row].info.Collapsed = true;
        // Keep the same row current, or none when it was one of those removed.
        if (currentRow_ > row + removed)
            currentRow_ -= removed;
        else if (currentRow_ > row)
            currentRow_ = -1;
    }
    return true;
}

bool FormatListModel::SaveFormatListState(IniFile& settings) const {
    QList<QPair<QString, QString>> pairs;
    for (const Row& r : rows_) {
        if (r.info.IsCategory)
            pairs.append({QString::number(r.info.Code),
                          r.info.Collapsed ? QStringLiteral("1") : QStringLiteral("0")});
    }
    if (pairs.isEmpty()) return true;
    return settings.WriteValues(QStringLiteral("lstformat"), pairs);
}

bool FormatListModel::ChooseEntryInMainWindow(int row, IniFile& settings) {
    if (row < 0 || row >= rows_.size() || !rows_[row].info.IsEntry) return false;
    const Row& r = rows_[row];
    settings.WriteValues(QStringLiteral("settings"),
                         {{QStringLiteral("FormatName"), r.text},
                          {QStringLiteral("FormatCode"), QString::number(r.info.Code)}});
    boxText_ = r.text;
    return true;
}

std::optional<FormatListModel::Choice> FormatListModel::ChooseEntryInDialog(int row) {
    if (row < 0 || row >= rows_.size() || !rows_[row].info.IsEntry) return std::nullopt;
    const Row& r = rows_[row];
    boxText_ = r.text;
    return Choice{r.text, QString::number(r.info.Code)};
}

int FormatListModel::RowOfText(const QString& text) const {
    const QString t = text.trimmed();
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].text == t) return i;
    return -1;
}

void FormatListModel::SetCurrentRow(int row) {
    currentRow_ = row >= 0 && row < rows_.size() ? row : -1;
}

int FormatListModel::SelectText(const QString& text) {
    currentRow_ = RowOfText(text);
    return currentRow_;
}

QString FormatListModel::EntryName(int category, int position) const {
    if (category < 0 || category >= entryNames_.size()) return {};
    const QStringList& names = entryNames_[category];
    if (position < 0 || position >= names.size()) return {};
    return names[position];
}

int FormatListModel::ListHeight(int limit) const {
    const int h = int(rows_.size()) * kRowHeight;
    return h > limit ? limit : h + kRowHeight;
}

int FormatListModel::BuildHeightMain() const {
    const int n = int(rows_.size());
    return n * kRowHeight < 363 ? (n + 1) * kRowHeight : 362;
}

}  // namespace fw
