#pragma once
// The help and about texts of the shell windows (company selection, book selection and the
// about window), in Croatian: rich text for the help boxes, plain text for the about page.

#include <QString>

namespace kl::help {

// Help of the company selection window (F1).
QString companySelection();

// Help of the book selection window (F1).
QString bookRegistry();
// The tools window of the book register.
QString tools();

// The guide page of the about window: how to start working with the program.
QString programGuide();

// A few plain sentences on what the program is for (about page).
QString productDescription();

// Plain-text lines naming the makers and whom to ask for support (about page).
QString makersContact();

}  // namespace kl::help
