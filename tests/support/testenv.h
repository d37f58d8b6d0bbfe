#pragma once
// Test support shared by every test executable: a temporary program folder wired into the
// application context, quick creation of master and book databases with rows, and finding a
// window's controls by objectName.

#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace kl::test {

// A fresh, empty program folder for one test. While it lives, kl::context().programFolder
// points at it (and the rest of the context is reset); the folder is removed afterwards.
class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previousFolder_;
};

// Finds the child control `name` of `parent` (searching recursively) and fails the test if it
// is missing or of another type.
template <typename T>
T* control(QWidget* parent, const QString& name) {
    T* w = parent->findChild<T*>(name);
    if (!w) QTest::qFail(qPrintable(QStringLiteral("missing control ") + name), __FILE__, __LINE__);
    return w;
}

}  // namespace kl::test
