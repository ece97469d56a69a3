#include "cli/EffectOptions.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace fw::cli {

namespace {

using effects::TFrameEffects;
using effects::TWmRec;

struct TRange {
    qint64 lo, hi;
};

class TParser {
  public:
    TParser(TFrameEffects* fx, QString* error) : fx_(fx), error_(error) {}

    // Handles one option; value is filled on demand by the caller's taker.
    bool Option(const QString& name, const std::function<std::optional<QString>()>& value);
    bool Finish() { return FinishItem(); }

  private:
    bool Fail(const QString& text) {
        *error_ = text;
        return false;
    }
    std::optional<int> Int(const QString& opt, const QString& text, TRange r) {
        bool ok = false;
        const qint64 v = text.trimmed().toLongLong(&ok);
        if (!ok) {
            Fail(QStringLiteral("%1: \"%2\" is not a whole number").arg(opt, text));
            return std::nullopt;
        }
        if (v < r.lo || v > r.hi) {
            Fail(QStringLiteral("%1: %2 is out of range %3..%4")
                     .arg(opt)
                     .arg(v)
                     .arg(r.lo)
                     .arg(r.hi));
            return std::nullopt;
        }
        return int(v);
    }
    std::optional<QRgb> Colour(const QString& opt, QString text) {
        if (text.startsWith('#')) text.remove(0, 1);
        bool ok = false;
        const uint v = text.toUInt(&ok, 16);
        if (!ok || text.size() != 6) {
            Fail(QStringLiteral("%1: \"%2\" is not a colour RRGGBB").arg(opt, text));
            return std::nullopt;
        }
        return qRgb(int(v >> 16) & 0xff, int(v >> 8) & 0xff, int(v) & 0xff);
    }
    TWmRec* Item(const QString& opt, bool textOnly) {
        if (!item_) {
            Fail(QStringLiteral("%1 must follow --text or --image").arg(opt));
            return nullptr;
        }
        if (textOnly && item_->Kind != effects::kTextItem) {
            Fail(QStringLiteral("%1 applies to a --text item, not to a picture").arg(opt));
            return nullptr;
        }
        return &*item_;
    }
    bool FinishItem() {
        if (!item_) return true;
        if (item_->Kind == effects::kTextItem) {
            // The box the editor would give the text: its measured size.
            const QSize size = effects::MeasureText(*item_);
            item_->TextWidth = size.width();
            item_->TextHeight = size.height();
        }
        fx_->WaterMarks << *item_;
        item_.reset();
        return true;
    }

    TFrameEffects* fx_;
    QString* error_;
    std::optional<TWmRec> item_;
};

const TRange kInt32{INT32_MIN, INT32_MAX};

bool TParser::Option(const QString& opt, const std::function<std::optional<QString>()>& take) {
    auto value = [&]() -> std::optional<QString> {
        auto v = take();
        if (!v) Fail(QStringLiteral("%1 needs a value").arg(opt));
        return v;
    };
    auto intOption = [&](TRange r, int* out) {
        const auto v = value();
        if (!v) return false;
        const auto n = Int(opt, *v, r);
        if (!n) return false;
        *out = *n;
        return true;
    };
    if (opt == "--brightness") return intOption({0, 512}, &fx_->Brightness);
    if (opt == "--contrast") return intOption({-100, 100}, &fx_->Contrast);
    if (opt == "--saturation") return intOption({0, 512}, &fx_->Saturation);
    if (opt == "--exposure") return intOption({-255, 512}, &fx_->Exposure);
    if (opt == "--text") {
        const auto v = value();
        if (!v || !FinishItem()) return false;
        if (v->isEmpty()) return Fail("--text needs a non-empty text");
        item_.emplace();
        item_->Kind = effects::kTextItem;
        item_->Text = *v;
        return true;
    }
    if (opt == "--image") {
        const auto v = value();
        if (!v || !FinishItem()) return false;
        const QString path = QFileInfo(*v).absoluteFilePath();
        QImageReader reader(path, "bmp");
        const QSize size = reader.size();
        if (!QFileInfo(path).isFile() || !reader.canRead() || !size.isValid())
            return Fail(QStringLiteral("--image: \"%1\" cannot be read as a BMP picture").arg(*v));
        item_.emplace();
        item_->Kind = effects::kImageItem;
        item_->ImageFile = path;
        item_->ImageWidth = size.width();
        item_->ImageHeight = size.height();
        return true;
    }
    if (opt == "--pos") {
        TWmRec* it = Item(opt, false);
        const auto v = it ? value() : std::nullopt;
        if (!v) return false;
        const QStringList xy = v->split(',');
        if (xy.size() != 2) return Fail(QStringLiteral("--pos: \"%1\" is not X,Y").arg(*v));
        const auto x = Int(opt, xy[0], kInt32);
        const auto y = x ? Int(opt, xy[1], kInt32) : std::nullopt;
        if (!y) return false;
        (it->Kind == effects::kTextItem ? it->TextLeft : it->ImageLeft) = *x;
        (it->Kind == effects::kTextItem ? it->TextTop : it->ImageTop) = *y;
        return true;
    }
    if (opt == "--opacity") {
        TWmRec* it = Item(opt, false);
        int a = 0;
        if (!it || !intOption({0, 255}, &a)) return false;
        (it->Kind == effects::kTextItem ? it->TextOpacity : it->ImageOpacity) = a;
        return true;
    }
    if (opt == "--seconds") {
        TWmRec* it = Item(opt, false);
        const auto v = it ? value() : std::nullopt;
        if (!v) return false;
        const QStringList range = v->split(',');
        if (range.size() != 2)
            return Fail(QStringLiteral("--seconds: \"%1\" is not FROM,TO").arg(*v));
        const auto from = Int(opt, range[0], {0, INT32_MAX});
        if (!from) return false;
        std::optional<int> to = effects::kEndOfSource;
        if (range[1].trimmed() != "end") to = Int(opt, range[1], {0, INT32_MAX});
        if (!to) return false;
        if (*from > *to)
            return Fail(QStringLiteral("--seconds: the first second %1 is after the last %2")
                            .arg(*from)
                            .arg(*to));
        it->StartSecond = *from;
        it->EndSecond = *to;
        return true;
    }
    if (opt == "--font") {
        TWmRec* it = Item(opt, true);
        const auto v = it ? value() : std::nullopt;
        if (!v) return false;
        if (v->trimmed().isEmpty()) return Fail("--font needs a font face name");
        it->Font.Name = *v;
        return true;
    }
    if (opt == "--font-size") {
        TWmRec* it = Item(opt, true);
        return it && intOption({1, 1000}, &it->Font.Size);
    }
    const std::pair<const char*, quint8> styles[] = {{"--bold", effects::kBold},
                                                     {"--italic", effects::kItalic},
                                                     {"--underline", effects::kUnderline},
                                                     {"--strikeout", effects::kStrikeOut}};
    for (const auto& [name, bit] : styles)
        if (opt == name) {
            TWmRec* it = Item(opt, true);
            if (!it) return false;
            it->Font.Style |= bit;
            return true;
        }
    if (opt == "--color" || opt == "--background") {
        TWmRec* it = Item(opt, true);
        const auto v = it ? value() : std::nullopt;
        const auto c = v ? Colour(opt, *v) : std::nullopt;
        if (!c) return false;
        if (opt == "--color") {
            it->Font.Color = *c;
        } else {
            it->BackColor = *c;
            it->HasBackground = true;
        }
        return true;
    }
    return Fail(QStringLiteral("unknown effect option %1").arg(opt));
}

bool IsFlag(const QString& opt) {
    return opt == "--bold" || opt == "--italic" || opt == "--underline" || opt == "--strikeout";
}

bool IsEffectOption(const QString& opt) {
    static const QStringList names{
        "--brightness", "--contrast",  "--saturation", "--exposure", "--text",      "--image",
        "--pos",        "--opacity",   "--seconds",    "--font",     "--font-size", "--bold",
        "--italic",     "--underline", "--strikeout",  "--color",    "--background"};
    return names.contains(opt);
}

}  // namespace

bool TakeEffectOptions(std::vector<std::string>& args, effects::TFrameEffects* fx, QString* error,
                       bool* given) {
    QString dummy;
    if (!error) error = &dummy;
    TParser parser(fx, error);
    std::vector<std::string> rest;
    bool any = false;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const QString arg = QString::fromLocal8Bit(args[i].c_str());
        if (arg == "--") break;
        const qsizetype eq = arg.indexOf('=');
        const QString opt = eq > 0 ? arg.left(eq) : arg;
        if (!opt.startsWith("--") || !IsEffectOption(opt)) {
            rest.push_back(args[i]);
            continue;
        }
        any = true;
        if (IsFlag(opt) && eq > 0) {
            *error = QStringLiteral("%1 takes no value").arg(opt);
            return false;
        }
        auto take = [&]() -> std::optional<QString> {
            if (eq > 0) return arg.mid(eq + 1);
            if (i + 1 >= args.size()) return std::nullopt;
            return QString::fromLocal8Bit(args[++i].c_str());
        };
        if (!parser.Option(opt, take)) return false;
    }
    for (; i < args.size(); ++i) rest.push_back(args[i]);
    if (!parser.Finish()) return false;
    args = std::move(rest);
    if (given) *given = any;
    return true;
}

const char* EffectOptionsHelp() {
    return "Picture adjustments and watermark items (order matters):\n"
           "  --brightness N (0..512, 255 unchanged)  --contrast N (-100..100, 0 unchanged)\n"
           "  --saturation N (0..512, 255 unchanged)  --exposure N (-255..512, 0 unchanged)\n"
           "  --text TEXT | --image FILE.bmp   start a watermark item; the options after it apply "
           "to it:\n"
           "    --pos X,Y  --opacity A (0..255, default 125)  --seconds FROM,TO (TO may be 'end')\n"
           "    text only: --font FACE  --font-size PT  --bold --italic --underline --strikeout\n"
           "               --color RRGGBB (default 0000FF)  --background RRGGBB (default "
           "transparent)\n";
}

}  // namespace fw::cli
