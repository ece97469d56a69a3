#include "effects/FrameHook.h"

#include "effects/Adjustments.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>
#include <iterator>
#include <limits>

namespace fw::effects {

bool HookSwitchedOn(const TFrameEffects& fx) {
    if (ColorPassRuns(fx.Brightness, fx.Contrast, fx.Saturation)) return true;
    if (ExposurePassRuns(fx.Exposure)) return true;
    return !fx.WaterMarks.isEmpty() &&
           (!fx.WaterMarks[0].Text.isEmpty() || !fx.WaterMarks[0].ImageFile.isEmpty());
}

bool ItemVisibleAt(const TWmRec& item, int64_t second) {
    if (second < item.StartSecond || second > item.EndSecond) return false;
    if (item.Kind == kTextItem) return !item.Text.isEmpty();
    if (item.Kind == kImageItem) return !item.ImageFile.isEmpty();
    return false;
}

namespace {

// An item's box in frame pixels, with sums that would overflow held in range.
QRect ItemBox(int64_t left, int64_t top, int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return QRect();
    auto near = [](int64_t v) {
        const int64_t far = std::numeric_limits<int>::max() / 2;
        return int(std::clamp(v, -far, far));
    };
    return QRect(QPoint(near(left), near(top)),
                 QPoint(near(left + width) - 1, near(top + height) - 1));
}

QString ColorText(QRgb c) {
    return QStringLiteral("%1").arg(c & 0xffffff, 6, 16, QChar('0')).toUpper();
}

void AddIfChanged(QStringList& lines, const QString& name, const QString& value,
                  const QString& neutral) {
    if (value != neutral) lines << name + "=" + value;
}

}  // namespace

QString DescribeEffects(const TFrameEffects& fx) {
    const TFrameEffects none;
    QStringList lines;
    auto num = [](qint64 v) { return QString::number(v); };
    AddIfChanged(lines, "Brightness", num(fx.Brightness), num(none.Brightness));
    AddIfChanged(lines, "Contrast", num(fx.Contrast), num(none.Contrast));
    AddIfChanged(lines, "Saturation", num(fx.Saturation), num(none.Saturation));
    AddIfChanged(lines, "Exposure", num(fx.Exposure), num(none.Exposure));
    const TWmRec d;
    for (int i = 0; i < fx.WaterMarks.size(); ++i) {
        const TWmRec& w = fx.WaterMarks[i];
        const QString p = QStringLiteral("WaterMarks[%1].").arg(i);
        AddIfChanged(lines, p + "Text", w.Text, d.Text);
        AddIfChanged(lines, p + "Font.Name", w.Font.Name, d.Font.Name);
        AddIfChanged(lines, p + "Font.Size", num(w.Font.Size), num(d.Font.Size));
        AddIfChanged(lines, p + "Font.Style", num(w.Font.Style), num(d.Font.Style));
        AddIfChanged(lines, p + "Font.Color", ColorText(w.Font.Color), ColorText(d.Font.Color));
        AddIfChanged(lines, p + "TextLeft", num(w.TextLeft), num(d.TextLeft));
        AddIfChanged(lines, p + "TextTop", num(w.TextTop), num(d.TextTop));
        AddIfChanged(lines, p + "TextWidth", num(w.TextWidth), num(d.TextWidth));
        AddIfChanged(lines, p + "TextHeight", num(w.TextHeight), num(d.TextHeight));
        AddIfChanged(lines, p + "TextOpacity", num(w.TextOpacity), num(d.TextOpacity));
        AddIfChanged(lines, p + "BackColor", ColorText(w.BackColor), ColorText(d.BackColor));
        AddIfChanged(lines, p + "HasBackground", num(w.HasBackground), num(d.HasBackground));
        AddIfChanged(lines, p + "ImageFile", w.ImageFile, d.ImageFile);
        AddIfChanged(lines, p + "ImageLeft", num(w.ImageLeft), num(d.ImageLeft));
        AddIfChanged(lines, p + "ImageTop", num(w.ImageTop), num(d.ImageTop));
        AddIfChanged(lines, p + "ImageWidth", num(w.ImageWidth), num(d.ImageWidth));
        AddIfChanged(lines, p + "ImageHeight", num(w.ImageHeight), num(d.ImageHeight));
        AddIfChanged(lines, p + "ImageOpacity", num(w.ImageOpacity), num(d.ImageOpacity));
        AddIfChanged(lines, p + "Kind", num(w.Kind), num(d.Kind));
        AddIfChanged(lines, p + "StartSecond", num(w.StartSecond), num(d.StartSecond));
        AddIfChanged(lines, p + "EndSecond", num(w.EndSecond), num(d.EndSecond));
    }
    return lines.isEmpty() ? QString() : lines.join('\n') + '\n';
}

TFrameHookProcessor::TFrameHookProcessor(int bands) : workers_(bands) {}

const TAdjustPlan& TFrameHookProcessor::Plan(const TFrameEffects& fx) {
    const int values[4] = {fx.Brightness, fx.Contrast, fx.Saturation, fx.Exposure};
    if (!std::equal(std::begin(values), std::end(values), std::begin(planValues_))) {
        plan_ = TAdjustPlan::ForConversion(fx.Brightness, fx.Contrast, fx.Saturation, fx.Exposure);
        std::copy(std::begin(values), std::end(values), std::begin(planValues_));
    }
    return plan_;
}

QImage TFrameHookProcessor::Picture(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = QStringLiteral("Cannot open the picture file \"%1\"").arg(path);
        return {};
    }
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    auto it = pictures_.find(path);
    if (it != pictures_.end() && it->Size == size && it->Modified == modified) {
        it->UsedNow = true;
        return it->Image;
    }
    // Watermark pictures are BMP files; anything else is refused.
    QImageReader reader(path, "bmp");
    QImage image;
    if (!reader.read(&image)) {
        if (it != pictures_.end()) pictures_.erase(it);
        *error =
            QStringLiteral("Cannot load the picture \"%1\": %2").arg(path, reader.errorString());
        return {};
    }
    TPicture& entry = pictures_[path];
    entry.Size = size;
    entry.Modified = modified;
    entry.Image = image.convertToFormat(QImage::Format_BGR888);
    entry.UsedNow = true;
    return entry.Image;
}

bool TFrameHookProcessor::Process(QImage& frame, int64_t frameTimeMicros, const TFrameEffects& fx,
                                  QString* error, QRect* changed) {
    std::lock_guard lock(mutex_);
    if (changed) *changed = QRect();
    const int64_t second = FrameSecond(frameTimeMicros);

    // Every picture this frame needs is loaded before the frame is touched, so
    // a picture that fails leaves the frame exactly as it came in.
    for (auto& p : pictures_) p.UsedNow = false;
    // Shared copies, not pointers: the cache may move its entries.
    QVarLengthArray<QImage, 8> pictures;
    for (const TWmRec& item : fx.WaterMarks) {
        QImage picture;
        if (item.Kind == kImageItem && ItemVisibleAt(item, second)) {
            QString why;
            picture = Picture(item.ImageFile, &why);
            if (picture.isNull()) {
                if (error) *error = why;
                return false;
            }
        }
        pictures.append(picture);
    }
    // Pictures of items that are no longer shown are dropped once the cache grows.
    if (pictures_.size() > 8) pictures_.removeIf([](const auto& p) { return !p.value().UsedNow; });

    const TAdjustPlan& plan = Plan(fx);
    plan.Apply(frame, &workers_);
    QRect drawn = plan.Changes() ? frame.rect() : QRect();
    for (int i = 0; i < fx.WaterMarks.size(); ++i) {
        const TWmRec& item = fx.WaterMarks[i];
        if (!ItemVisibleAt(item, second)) continue;
        if (item.Kind == kTextItem) {
            DrawTextItem(frame, item);
            drawn |= ItemBox(item.TextLeft, item.TextTop, item.TextWidth, item.TextHeight);
        } else {
            BlendBitmap(frame, pictures[i], item.ImageLeft, item.ImageTop, item.ImageOpacity);
            drawn |=
                ItemBox(item.ImageLeft, item.ImageTop, pictures[i].width(), pictures[i].height());
        }
    }
    if (changed) *changed = drawn & frame.rect();
    return true;
}

}  // namespace fw::effects
