#include "batch-window/detection_text.h"

#include <QStringList>
#include <array>

#include "batch/messages.h"

namespace batch_window {

namespace {

using batch::Clue;

// A number and the word after it in its Russian plural form ("одна|few|many" forms).
QString Counted(int count, const char* forms) {
    const std::string number = std::to_string(count);
    return QString::fromStdString(
        systems::Fill(systems::Language::Russian, "{1} {1:" + std::string(forms) + "}", {number}));
}

// "из первых 21 строки", "из первых 5 строк": the genitive after "из первых".
QString Lines(int count) {
    return Counted(count, "строки|строк|строк");
}

// "строка 3, поле 2 «554530,5»": where the example stands.
QString At(const batch::Reason& r) {
    return QString("строка %1, поле %2 «%3»")
        .arg(r.line)
        .arg(r.field)
        .arg(QString::fromStdString(r.sample));
}

// The names as the choices in the window spell them, in the order of the enums.
constexpr std::array<const char*, 5> kSeparators = {"авто", "точка с запятой", "запятая",
                                                    "табуляция", "пробел"};
constexpr std::array<const char*, 2> kEncodings = {"UTF-8", "Windows-1251"};
constexpr std::array<const char*, 3> kAngles = {"ГГГММСС.ссс", "градусы", "Г:М:С"};

template <typename Names, typename Value>
QString Name(const Names& names, Value value) {
    return QString::fromUtf8(names[static_cast<std::size_t>(value)]);
}

QString Item(const QString& choice, const batch::Reason& reason) {
    return choice + " (" + ReasonInRussian(reason) + ")";
}

}  // namespace

QString ReasonInRussian(const batch::Reason& r) {
    QString text;
    switch (r.clue) {
        case Clue::NoPointLines:
            text = r.total == 0 ? QString("ввод пуст")
                   : r.total == 1
                       ? QString("первая строка не читается как точка")
                       : QString("ни одна из первых %1 не читается как точка").arg(Lines(r.total));
            break;
        case Clue::AsciiOnly:
            text = "только символы ASCII";
            break;
        case Clue::ValidUtf8:
            text = "байты за пределами ASCII — правильный UTF-8";
            break;
        case Clue::NotUtf8:
            text = QString("в строке %1 байты не UTF-8").arg(r.line);
            break;
        case Clue::FieldsAlike:
            text = QString("%1 из %2 делятся на %3")
                       .arg(r.count)
                       .arg(Lines(r.total))
                       .arg(Counted(r.fields, "поле|поля|полей"));
            break;
        case Clue::NoHeader:
            text = QString("строка %1, первая не комментарий, — точка").arg(r.line);
            break;
        case Clue::HeaderLines:
            text = QString("до строки %1 в полях координат нет чисел").arg(r.line);
            if (!r.sample.empty())
                text +=
                    QString(": поле %1 «%2»").arg(r.field).arg(QString::fromStdString(r.sample));
            break;
        case Clue::DecimalComma:
            text = At(r) + " — число с десятичной запятой";
            break;
        case Clue::DecimalPoint:
            text = "ни в одном числе нет десятичной запятой";
            break;
        case Clue::WholeLine:
            text = "в строках только три числа";
            break;
        case Clue::EastingFirst:
            text = QString(
                       "поле %1 — ордината y, поле %2 — абсцисса x: так точки лежат в своих "
                       "зонах (строк: %3, первая — %4)")
                       .arg(r.field)
                       .arg(r.field + 1)
                       .arg(r.count)
                       .arg(r.line);
            break;
        case Clue::FirstNumbersInRow:
            text = QString(
                       "поля %1–%2 — первые три числа подряд, что могут быть точкой "
                       "(таких строк %3, первая — %4)")
                       .arg(r.field)
                       .arg(r.field + 2)
                       .arg(r.count)
                       .arg(r.line);
            break;
        case Clue::DmsMarks:
            text = At(r) + " — градусы, минуты и секунды";
            break;
        case Clue::NotDegrees:
            text = At(r) + " больше градусов широты или долготы";
            break;
        case Clue::NotPacked:
            text = At(r) + " как ГГГММСС дало бы 60 минут или секунд и больше";
            break;
        case Clue::SmallFraction:
            text = At(r) +
                   " — дробное и меньше 10000: как ГГГММСС лежало бы в пределах "
                   "градуса от экватора или Гринвича";
            break;
        case Clue::BothReadings:
            text = "все значения читаются и как ГГГММСС, и как градусы";
            break;
        case Clue::NeitherReading:
            text = At(r) + " не читается ни как ГГГММСС, ни как градусы";
            break;
        case Clue::EastingZones:
            text = r.count != r.fields
                       ? QString("ординаты несут зоны %1–%2 в миллионах").arg(r.fields).arg(r.count)
                       : QString("ординаты несут зону %1 в миллионах").arg(r.fields);
            break;
        case Clue::EastingWithoutZone:
            text = At(r) + " — не ордината Гаусса–Крюгера: миллионы не дают зоны от 1 до " +
                   QString::number(r.count);
            break;
    }
    return r.guess ? text + "; это догадка, выбор не изменён" : text;
}

QString DetectionInRussian(const batch::Detection& d) {
    if (d.utf16) {
        return QString::fromStdString(
            batch::Message(batch::Language::Russian, batch::MessageId::Utf16));
    }
    QStringList items;
    items.append(Item("кодировка " + Name(kEncodings, d.encoding.value), d.encoding.reason));
    if (d.separator.value == batch::Separator::Auto) {
        items.append(Item("разделитель не найден", d.separator.reason));
    } else {
        items.append(
            Item("разделитель — " + Name(kSeparators, d.separator.value), d.separator.reason));
        items.append(Item(d.decimalComma.value ? "десятичная запятая" : "десятичная точка",
                          d.decimalComma.reason));
        items.append(Item(QString("строк заголовка %1").arg(d.skip.value), d.skip.reason));
        const batch::Columns& c = d.columns.value;
        items.append(Item(c[0] == 0 ? QString("вся строка — три числа")
                                    : QString("столбцы %1,%2,%3").arg(c[0]).arg(c[1]).arg(c[2]),
                          d.columns.reason));
        if (d.angles)
            items.append(Item("углы " + Name(kAngles, d.angles->value), d.angles->reason));
        if (d.zones) items.append(ReasonInRussian(*d.zones));
    }
    return "Определено: " + items.join("; ") + ".";
}

}  // namespace batch_window
