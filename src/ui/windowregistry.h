#pragma once
// Windows are single shared instances reached by name: opening a window that is already loaded
// gives the same instance, and a helper window writes back into the window that called it
// through that window's public operations (the article window refilling the document window's
// lists, for example). kl::windows() is the one place where the instances are kept.
//
// A window is "loaded" from the first time it is asked for until it is deleted (a window closed
// for good deletes itself); the next request then loads a new instance from its factory.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace kl {

class WindowRegistry {
  public:
    using Factory = std::function<QWidget*()>;

    // Declares how the window `name` is made. The instance gets `name` as its objectName.
    void define(const QString& name, Factory factory);
    bool isDefined(const QString& name) const { return factories_.contains(name); }

    // The loaded instance of `name`, loading it first if needed; nullptr for an unknown name.
    QWidget* window(const QString& name);
    template <typename T>
    T* window(const QString& name) {
        return qobject_cast<T*>(window(name));
    }

    // The instance only if it is loaded now (a helper writing back into its caller must not
    // load a caller that is gone).
    QWidget* loaded(const QString& name) const;
    template <typename T>
    T* loaded(const QString& name) const {
        return qobject_cast<T*>(loaded(name));
    }
    bool isLoaded(const QString& name) const { return loaded(name) != nullptr; }

    // Deletes the loaded instance of `name`, if any.
    void unload(const QString& name);
    // A window that has been closed for good and only waits for its deferred deletion: the next
    // request loads a new instance instead of handing out the dying one.
    void forget(QWidget* window);
    // Deletes every loaded instance and forgets every definition (tests, program end).
    void clear();

  private:
    QHash<QString, Factory> factories_;
    QHash<QString, QPointer<QWidget>> instances_;
};

// The registry of the program.
WindowRegistry& windows();

}  // namespace kl
