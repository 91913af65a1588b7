#include "gui/app/StartForm.h"

#include "gui/app/Main.h"
#include "platform/Settings.h"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVBoxLayout>
#include <QtMath>

const QColor StartForm::kTitleColour = QColor(0, 97, 165);

namespace {

constexpr int kLogoSize = 96;

QFont titleFont(int pointSize)
{
    QFont font(QStringLiteral("Arial Black"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Black);
    font.setPointSize(pointSize);
    return font;
}

// The maker's mark: a waveform on the title colour.
QPixmap logo()
{
    QPixmap pixmap(kLogoSize, kLogoSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(StartForm::kTitleColour);
    p.drawRoundedRect(QRectF(2, 2, kLogoSize - 4, kLogoSize - 4), 14, 14);
    QPainterPath wave;
    const double left = 14, right = kLogoSize - 14, mid = kLogoSize / 2.0, amplitude = kLogoSize / 4.5;
    wave.moveTo(left, mid);
    for (double x = left; x <= right; x += 1.0)
        wave.lineTo(x, mid - amplitude * std::sin((x - left) / (right - left) * 2 * M_PI));
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return pixmap;
}

QFrame *rule(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFixedHeight(2);
    line->setStyleSheet(QStringLiteral("background-color: %1;").arg(StartForm::kTitleColour.name()));
    return line;
}

} // namespace

StartForm::StartForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StartForm"));
    setWindowTitle(QStringLiteral("6400 Series Setup Utility"));

    auto *shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setStyleSheet(QStringLiteral("QFrame#Shape1 { border: 2px solid %1; border-radius: 4px; }")
                             .arg(kTitleColour.name()));

    auto *image = new QLabel(shape);
    image->setObjectName(QStringLiteral("CompLogo"));
    image->setPixmap(logo());

    QPalette titlePalette = palette();
    titlePalette.setColor(QPalette::WindowText, kTitleColour);
    const char *titleTexts[2] = {"SETUP UTILITY", "6400 SERIES"};
    const int titleSizes[2] = {22, 16};
    for (int i = 0; i < 2; ++i) {
        m_titles[i] = new QLabel(QString::fromLatin1(titleTexts[i]), shape);
        m_titles[i]->setObjectName(QStringLiteral("TitleLab"));
        m_titles[i]->setFont(titleFont(titleSizes[i]));
        m_titles[i]->setPalette(titlePalette);
    }
    m_version = new QLabel(shape);
    m_version->setObjectName(QStringLiteral("VerLab"));
    m_version->setPalette(titlePalette);
    m_version->setText(QStringLiteral("V%1.%2")
                           .arg(QString::number(CALSETUP_VERSION_MAJOR).trimmed(),
                                QString::number(CALSETUP_VERSION_MINOR).trimmed()));

    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(m_titles[0]);
    titles->addWidget(m_titles[1]);
    titles->addSpacing(6);
    titles->addWidget(m_version);
    auto *head = new QHBoxLayout(shape);
    head->setContentsMargins(16, 16, 24, 16);
    head->setSpacing(20);
    head->addWidget(image, 0, Qt::AlignTop);
    head->addLayout(titles, 1);

    m_action = new QLabel(this);
    m_action->setObjectName(QStringLiteral("ActionLab"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(10);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBut"));
    m_ok->setDefault(true);
    m_ok->setVisible(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(shape);
    layout->addWidget(rule(this));
    layout->addWidget(m_action);
    layout->addWidget(m_progress);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    InitLang();
    adjustSize();
    CenterForm(this);
}

StartForm::~StartForm() = default;

void StartForm::setOkVisible(bool visible)
{
    m_ok->setVisible(visible);
}

QLabel *StartForm::titleLabel(int index) const
{
    return m_titles[index == 0 ? 0 : 1];
}

void StartForm::InitLang()
{
    const QString path = Settings::value(SettingsKey::LanguageDatabase);
    const QString language = Settings::value(SettingsKey::Language);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    if (language.isEmpty() || language.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0)
        return;
    const QString title = titleFromLanguageDatabase(path, language);
    if (!title.isEmpty())
        m_titles[0]->setText(title);
}

QString StartForm::titleFromLanguageDatabase(const QString &databasePath, const QString &language)
{
    const QString connection = QStringLiteral("calsetup-language");
    QString title;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(databasePath);
        // Read only: a file that is not a database must never be turned into one.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            // The language is a bound value, never part of the statement's text.
            if (query.prepare(QStringLiteral("SELECT * FROM [PSScreen 3] WHERE [Language Type] = ?"))) {
                query.addBindValue(language);
                if (query.exec() && query.next()) {
                    const QVariant value = query.record().value(QStringLiteral("MERIAN SETUP UTILITY"));
                    if (value.isValid() && !value.isNull())
                        title = value.toString();
                }
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return title;
}
