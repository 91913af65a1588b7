#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

/**
 * @brief The start form, which serves as the About box: the utility's title, the maker's logo
 * and the program version. Its OK button is hidden unless the About menu shows the form.
 *
 * The first title line can come from a language database (InitLang).
 */
class StartForm : public QDialog
{
    Q_OBJECT
public:
    /// The colour of the titles, the version and the rules.
    static const QColor kTitleColour;

    explicit StartForm(QWidget *parent = nullptr);
    ~StartForm() override;

    /// Shows or hides OKBut.
    void setOkVisible(bool visible);

    /// TitleLab(0) "SETUP UTILITY" and TitleLab(1) "6400 SERIES".
    QLabel *titleLabel(int index) const;
    QLabel *versionLabel() const { return m_version; }

    /// Replaces the first title line with the text the language database holds for the chosen
    /// language, when "LanguageDatabase" names an existing file and "Language" is not English.
    /// Any failure (no driver, no such table, field or row) leaves the title as it was.
    void InitLang();

    /// The title the language database holds for a language, or nothing.
    static QString titleFromLanguageDatabase(const QString &databasePath, const QString &language);

private:
    QLabel *m_titles[2];
    QLabel *m_version;
    QLabel *m_action;
    QProgressBar *m_progress;
    QPushButton *m_ok;
};
