#include "AppTestSupport.h"

#include "gui/app/StartForm.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

class StartFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        databasePath = dir.filePath(QStringLiteral("language.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(databasePath);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral(
                "CREATE TABLE [PSScreen 3] ([Language Type] TEXT, [MERIAN SETUP UTILITY] TEXT)")));
            for (const auto &[language, title] : {std::pair{"Deutsch", "EINRICHTUNGSPROGRAMM"},
                                                  std::pair{"Fran'cais", "UTILITAIRE"},
                                                  std::pair{"Zulu", "ISISETSHENZISWA"}}) {
                ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO [PSScreen 3] VALUES (?, ?)")));
                q.addBindValue(QString::fromLatin1(language));
                q.addBindValue(QString::fromLatin1(title));
                ASSERT_TRUE(q.exec());
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
        Settings::setValue(SettingsKey::LanguageDatabase, databasePath);
    }

    QString title(const QString &language)
    {
        Settings::setValue(SettingsKey::Language, language);
        StartForm form;
        return form.titleLabel(0)->text();
    }

    ScopedAppSettings settings;
    QTemporaryDir dir;
    QString databasePath;
};

TEST_F(StartFormTest, TheTitleComesFromTheLanguageDatabaseForALanguageOtherThanEnglish)
{
    EXPECT_EQ(title(QStringLiteral("Deutsch")), QStringLiteral("EINRICHTUNGSPROGRAMM"));
    EXPECT_EQ(title(QStringLiteral("Fran'cais")), QStringLiteral("UTILITAIRE"));
    EXPECT_EQ(title(QStringLiteral("English")), QStringLiteral("SETUP UTILITY"));
    EXPECT_EQ(title(QStringLiteral("Klingon")), QStringLiteral("SETUP UTILITY"));
}

TEST_F(StartFormTest, TheLanguageIsAValueNeverPartOfTheQuery)
{
    // Pasted into the statement this would select every row and take the first one's title.
    EXPECT_EQ(title(QStringLiteral("x' OR '1'='1")), QStringLiteral("SETUP UTILITY"));
    EXPECT_EQ(title(QStringLiteral("x]; DROP TABLE [PSScreen 3]; --")), QStringLiteral("SETUP UTILITY"));
    EXPECT_EQ(title(QStringLiteral("Zulu")), QStringLiteral("ISISETSHENZISWA"));
}

TEST_F(StartFormTest, AMissingOrBrokenDatabaseLeavesTheTitleAndCreatesNothing)
{
    const QString missing = dir.filePath(QStringLiteral("missing.db"));
    Settings::setValue(SettingsKey::LanguageDatabase, missing);
    EXPECT_EQ(title(QStringLiteral("Deutsch")), QStringLiteral("SETUP UTILITY"));
    EXPECT_FALSE(QFile::exists(missing));

    const QString notADatabase = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(notADatabase);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database\n");
    file.close();
    Settings::setValue(SettingsKey::LanguageDatabase, notADatabase);
    EXPECT_EQ(title(QStringLiteral("Deutsch")), QStringLiteral("SETUP UTILITY"));
}

TEST_F(StartFormTest, TheAboutBoxShowsTheBuildsVersionAndItsOkButtonOnlyWhenAsked)
{
    StartForm form;
    EXPECT_EQ(form.versionLabel()->text(), QStringLiteral("V%1.%2").arg(CALSETUP_VERSION_MAJOR).arg(CALSETUP_VERSION_MINOR));
    EXPECT_TRUE(QStringLiteral(CALSETUP_VERSION).startsWith(form.versionLabel()->text().mid(1) + QLatin1Char('.')));
    auto *ok = form.findChild<QPushButton *>(QStringLiteral("OKBut"));
    ASSERT_NE(ok, nullptr);
    form.show();
    EXPECT_FALSE(ok->isVisible());
    form.setOkVisible(true);
    EXPECT_TRUE(ok->isVisible());
    EXPECT_EQ(form.titleLabel(1)->text(), QStringLiteral("6400 SERIES"));
}

} // namespace
