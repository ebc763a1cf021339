#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <functional>

// Runs one command. An error it throws goes no further: the application
// object shows it and the program carries on, so no exception ever travels
// through the toolkit's own frames.
void RunCommand(const std::function<void()>& command) noexcept;

// Binds a click of `button` to the handler `Handler(Sender)` of `form`, run
// through RunCommand with the button as sender.
template <class TFormClass>
void WireClick(QAbstractButton* button, TFormClass* form, void (TFormClass::*handler)(QObject*)) {
    QObject::connect(button, &QAbstractButton::clicked, form,
                     [=] { RunCommand([=] { (form->*handler)(button); }); });
}

// The same for a menu item.
template <class TFormClass>
void WireClick(QAction* item, TFormClass* form, void (TFormClass::*handler)(QObject*)) {
    QObject::connect(item, &QAction::triggered, form,
                     [=] { RunCommand([=] { (form->*handler)(item); }); });
}
