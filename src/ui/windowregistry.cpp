#include "ui/windowregistry.h"

namespace kl {

void WindowRegistry::define(const QString& name, Factory factory) {
    factories_.insert(name, std::move(factory));
}

QWidget* WindowRegistry::window(const QString& name) {
    if (QWidget* w = loaded(name)) return w;
    const auto factory = factories_.constFind(name);
    if (factory == factories_.constEnd() || !*factory) return nullptr;
    QWidget* w = (*factory)();
    if (!w) return nullptr;
    w->setObjectName(name);
    instances_.insert(name, w);
    return w;
}

QWidget* WindowRegistry::loaded(const QString& name) const {
    const auto it = instances_.constFind(name);
    return it == instances_.constEnd() ? nullptr : it->data();
}

void WindowRegistry::unload(const QString& name) {
    if (QWidget* w = loaded(name)) delete w;
    instances_.remove(name);
}

void WindowRegistry::forget(QWidget* window) {
    for (auto it = instances_.begin(); it != instances_.end();) {
        if (it->data() == window)
            it = instances_.erase(it);
        else
            ++it;
    }
}

void WindowRegistry::clear() {
    const QStringList names = instances_.keys();
    for (const QString& name : names)
        unload(name);
    factories_.clear();
}

WindowRegistry& windows() {
    static WindowRegistry registry;
    return registry;
}

}  // namespace kl
