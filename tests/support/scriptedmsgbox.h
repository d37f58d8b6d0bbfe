#pragma once
// Scripted answers for MsgBoxHr: while a ScriptedMsgBox lives, every message box is recorded
// instead of shown and answered from the script (or with the box's default button when the
// script is empty).

#include "ui/msgboxhr.h"

#include <QList>

namespace kl::test {

class ScriptedMsgBox {
  public:
    ScriptedMsgBox();
    ~ScriptedMsgBox();
    ScriptedMsgBox(const ScriptedMsgBox&) = delete;
    ScriptedMsgBox& operator=(const ScriptedMsgBox&) = delete;

    // Queue the result codes of the next boxes, in order (MsgResult::Yes, ...).
    ScriptedMsgBox& answer(int code);

    // Every box shown so far, in order.
    const QList<MsgBoxShown>& shown() const { return shown_; }
    int count() const { return int(shown_.size()); }
    const MsgBoxShown& last() const { return shown_.back(); }
    void clear() { shown_.clear(); }

  private:
    QList<int> script_;
    QList<MsgBoxShown> shown_;
};

}  // namespace kl::test
