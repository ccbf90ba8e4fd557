#include "panels/namedcolordlg.h"

#include <QColor>
#include <QDebug>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int SwatchSize = 20;
} // namespace

const QStringList &NamedColorDlg::colorNames()
{
    // Alphabetical; the grey tones are listed as "...gray" only, except
    // "lightgrey". The RGB values are Qt's own table of the same keywords.
    static const QStringList names = {
        "aliceblue", "antiquewhite", "aqua", "aquamarine", "azure", "beige", "bisque",
        "black", "blanchedalmond", "blue", "blueviolet", "brown", "burlywood", "cadetblue",
        "chartreuse", "chocolate", "coral", "cornflowerblue", "cornsilk", "crimson", "cyan",
        "darkblue", "darkcyan", "darkgoldenrod", "darkgray", "darkgreen", "darkkhaki",
        "darkmagenta", "darkolivegreen", "darkorange", "darkorchid", "darkred", "darksalmon",
        "darkseagreen", "darkslateblue", "darkslategray", "darkturquoise", "darkviolet",
        "deeppink", "deepskyblue", "dimgray", "dodgerblue", "firebrick", "floralwhite",
        "forestgreen", "fuchsia", "gainsboro", "ghostwhite", "gold", "goldenrod", "gray",
        "green", "greenyellow", "honeydew", "hotpink", "indianred", "indigo", "ivory",
        "khaki", "lavender", "lavenderblush", "lawngreen", "lemonchiffon", "lightblue",
        "lightcoral", "lightcyan", "lightgoldenrodyellow", "lightgreen", "lightgrey",
        "lightpink", "lightsalmon", "lightseagreen", "lightskyblue", "lightslategray",
        "lightsteelblue", "lightyellow", "lime", "limegreen", "linen", "magenta", "maroon",
        "mediumaquamarine", "mediumblue", "mediumorchid", "mediumpurple", "mediumseagreen",
        "mediumslateblue", "mediumspringgreen", "mediumturquoise", "mediumvioletred",
        "midnightblue", "mintcream", "mistyrose", "moccasin", "navajowhite", "navy",
        "oldlace", "olive", "olivedrab", "orange", "orangered", "orchid", "palegoldenrod",
        "palegreen", "paleturquoise", "palevioletred", "papayawhip", "peachpuff", "peru",
        "pink", "plum", "powderblue", "purple", "red", "rosybrown", "royalblue",
        "saddlebrown", "salmon", "sandybrown", "seagreen", "seashell", "sienna", "silver",
        "skyblue", "slateblue", "slategray", "snow", "springgreen", "steelblue", "tan",
        "teal", "thistle", "tomato", "turquoise", "violet", "wheat", "white", "whitesmoke",
        "yellow", "yellowgreen",
    };
    return names;
}

NamedColorDlg::NamedColorDlg(QWidget *parent)
    : QDialog(parent)
    , m_filter(new QLineEdit(this))
    , m_list(new QListWidget(this))
{
    setWindowTitle(tr("Named Colors"));
    m_filter->setPlaceholderText(tr("Names beginning with..."));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &NamedColorDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NamedColorDlg::reject);
    connect(m_filter, &QLineEdit::textChanged, this, &NamedColorDlg::setupColorList);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &NamedColorDlg::itemDoubleClicked);

    setupColorList();
}

void NamedColorDlg::setupColorList()
{
    m_list->clear();
    const QString filter = m_filter->text();
    for (const QString &name : colorNames()) {
        if (!filter.isEmpty() && !name.startsWith(filter, Qt::CaseSensitive))
            continue;
        QPixmap swatch(SwatchSize, SwatchSize);
        swatch.fill(QColor::fromString(name));
        auto *item = new QListWidgetItem(QIcon(swatch), name, m_list);
        if (m_list->count() == 1)
            m_list->setCurrentItem(item);
    }
}

void NamedColorDlg::accept()
{
    QListWidgetItem *item = m_list->currentItem();
    if (!item) {
        qDebug() << "???";
        return;
    }
    m_colorName = item->text();
    QDialog::accept();
}

void NamedColorDlg::itemDoubleClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    m_colorName = item->text();
    QDialog::accept();
}
