#pragma once

class QString;

/**
 * @brief What a running operation may ask of the queue that runs it: whether it has been asked
 * to stop, and where it has got to.
 *
 * An operation looks at stopRequested() between exchanges, never in the middle of one: an
 * exchange the instrument has begun to answer is always read to its end, and a stopped write
 * still leaves setup mode before it returns.
 */
class OperationControl
{
public:
    virtual ~OperationControl() = default;

    virtual bool stopRequested() const = 0;
    /// `done` of `total` steps (ranges, rows, figures) are finished.
    virtual void reportProgress(int done, int total) = 0;
    /// What the window should say meanwhile ("Instrument restarting...").
    virtual void reportStatus(const QString &) {}
};

/// For an operation run outside the queue (the command-line tool, a model test): never stopped,
/// progress unheard.
class UnstoppableOperation : public OperationControl
{
public:
    bool stopRequested() const override { return false; }
    void reportProgress(int, int) override {}
};
