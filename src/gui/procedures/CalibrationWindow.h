#pragma once

#include "gui/common/BoxWidth.h"
#include "gui/common/WindowOperations.h"
#include "gui/procedures/ProcedureWindow.h"
#include "procedures/InputBox.h"
#include "session/InstrumentSession.h"

#include <QLabel>
#include <QLineEdit>
#include <QList>

class Prompts;

/**
 * @brief What the calibration windows share over their model (PowerCalibration, KvAmplifier):
 * the factor boxes, each with its "Set" button, the measured value, the full-scale calculation
 * ("Command1"), "Store" and "Abort", and being centred when they open.
 *
 * The boxes are handed to the model before each step (toModel) and the factors shown again
 * after it; a window adds its own boxes to both.
 */
template <class Model>
class CalibrationWindow : public ProcedureWindow
{
public:
    Model &model() { return m_model; }

    void Command1_Click()
    {
        toModel();
        step(QStringLiteral("Calculate Full Scale Factor"), Writes, &Model::calculateFullScale);
    }
    virtual void Command_SetCal_Click(int index) = 0;
    void Command_CalStore_Click() { step(QStringLiteral("Store"), Writes, &Model::store); }
    void Command_CalAbort_Click()
    {
        toModel();
        step(QStringLiteral("Abort"), Writes, &Model::abort);
    }

protected:
    static constexpr OperationQueue::Effect Reads = OperationQueue::Effect::Reads;
    static constexpr OperationQueue::Effect Writes = OperationQueue::Effect::Writes;

    CalibrationWindow(const QString &title, InstrumentSession &session, Prompts &prompts, QWidget *parent)
        : ProcedureWindow(title, parent, Placement::Centred), m_model(session.channel(), prompts)
    {
        connect(&m_model, &Model::statusChanged, this, &CalibrationWindow::showStatus);
        useOperations(session.operations(), prompts);
        // Asked at a store, on the instrument's turn, when the connection in use is the one stored on.
        m_model.recording().setConnection([&session] { return session.connectionWords(); });
    }

    /// One step of the model as an operation of the instrument's queue, in its turn (or skipped
    /// while the instrument is busy, for what a window does by itself when it becomes active); a
    /// box the step refused then gets the focus. The boxes were handed to the model before, so
    /// the step sends what was typed when the button was pressed. The window is not closed under
    /// its step, which is why the step may hold the model.
    void step(const QString &name, OperationQueue::Effect effect, std::function<RefusedBox(Model &)> work,
              OperationQueue::WhenBusy whenBusy = OperationQueue::WhenBusy::WaitTurn)
    {
        Model *model = &m_model;
        operations().template run<RefusedBox>(
            name, effect, whenBusy, [model, work = std::move(work)](OperationControl &) { return work(*model); },
            [this](RefusedBox refused) { focusRefused(refused); });
    }
    /// A step of the model that takes nothing more.
    void step(const QString &name, OperationQueue::Effect effect, RefusedBox (Model::*work)(),
              OperationQueue::WhenBusy whenBusy = OperationQueue::WhenBusy::WaitTurn)
    {
        step(name, effect, std::function<RefusedBox(Model &)>([work](Model &model) { return (model.*work)(); }),
             whenBusy);
    }
    /// A step that refuses no box.
    void step(const QString &name, OperationQueue::Effect effect, void (Model::*work)(),
              OperationQueue::WhenBusy whenBusy = OperationQueue::WhenBusy::WaitTurn)
    {
        step(name, effect, std::function<RefusedBox(Model &)>([work](Model &model) {
                 (model.*work)();
                 return RefusedBox();
             }),
             whenBusy);
    }

    /// The window's box for one the model refused: factor and measured boxes here, a window's own
    /// boxes in boxFor.
    virtual QLineEdit *boxFor(const InputBox &box)
    {
        if (box.kind == InputBox::Kind::Factor && box.index >= 0 && box.index < m_factors.size())
            return m_factors.at(box.index);
        return box.kind == InputBox::Kind::Measured ? m_measured : nullptr;
    }
    void focusRefused(const RefusedBox &refused)
    {
        if (refused)
            ProcedureWindow::focusRefused(boxFor(*refused));
    }

    /// Hands every box of the window to the model, factorsToModel() among them.
    virtual void toModel() = 0;

    /// The widest figure a factor or measured box shows; a narrower box cuts off its sign.
    static inline const QString kWidestFigure = QStringLiteral("-0.000000");

    /// The next factor box, "Text_Calfactor(n)" in the order they are added, named `accessibleName`
    /// for screen readers (its caption is a label beside it, or the frame's title).
    QLineEdit *addFactorBox(QWidget *parent, const QString &accessibleName)
    {
        auto *box = new QLineEdit(parent);
        box->setObjectName(QStringLiteral("Text_Calfactor(%1)").arg(m_factors.size()));
        box->setAccessibleName(accessibleName);
        fitBoxTo(box, kWidestFigure);
        m_factors << box;
        return box;
    }
    /// The "Set" button that sends factor `index`, named after its box for screen readers.
    QAbstractButton *setFactorButton(int index)
    {
        QAbstractButton *b = button(QStringLiteral("Command_SetCal(%1)").arg(index), QStringLiteral("Set"),
                                    [this, index] { Command_SetCal_Click(index); });
        b->setAccessibleName(QStringLiteral("Set %1").arg(m_factors.at(index)->accessibleName()));
        return b;
    }

    void factorsToModel()
    {
        for (int i = 0; i < m_factors.size(); ++i)
            m_model.setFactorText(i, m_factors.at(i)->text());
        m_model.setMeasuredText(m_measured->text());
    }
    void factorsFromModel()
    {
        for (int i = 0; i < m_factors.size(); ++i)
            showText(m_factors.at(i), m_model.factorText(i));
    }
    /// A box that already says it is not set again: setting a box moves its cursor to the end.
    static void showText(QLineEdit *box, const QString &text)
    {
        if (box->text() != text)
            box->setText(text);
    }

    Model m_model;
    QList<QLineEdit *> m_factors;
    QLineEdit *m_measured = nullptr;
};
