#pragma once

#include "gui/app/ProgressModel.h"

#include <QDialog>

class QLabel;
class QProgressBar;

/**
 * @brief "Download Progress": a small modeless window that follows a long reply as it comes in.
 *
 * The window that starts a long exchange shows it and announces the size in lines or characters;
 * while the transport waits, the activity indicator passes every visible progress window the
 * reply gathered so far (feedVisible). It holds no connection logic.
 */
class FormProgress : public QDialog
{
    Q_OBJECT
public:
    explicit FormProgress(QWidget *parent = nullptr);
    ~FormProgress() override;

    void Reset();
    void SetMaxLines(qint16 NewMax);
    void SetMaxCharacters(qint16 NewMax);
    void ProgressText(const QString &text);
    void Increment();
    bool CountLines() const { return m_model.countLines(); }

    const ProgressModel &model() const { return m_model; }

    /// Passes the reply gathered so far to every progress window that is visible.
    static void feedVisible(const QString &replySoFar);

private:
    void showModel();

    ProgressModel m_model;
    QProgressBar *m_bar;
    QLabel *m_message;
};
