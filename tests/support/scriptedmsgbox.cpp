#include "scriptedmsgbox.h"

namespace kl::test {

ScriptedMsgBox::ScriptedMsgBox() {
    setMsgBoxResponder([this](const MsgBoxShown& box) {
        shown_.append(box);
        if (!script_.isEmpty()) return script_.takeFirst();
        return box.results.value(box.defaultButton, MsgResult::Ok);
    });
}

ScriptedMsgBox::~ScriptedMsgBox() {
    setMsgBoxResponder({});
}

ScriptedMsgBox& ScriptedMsgBox::answer(int code) {
    script_.append(code);
    return *this;
}

}  // namespace kl::test
