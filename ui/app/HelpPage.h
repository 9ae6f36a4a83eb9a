#pragma once
// Where the reference page is: beside the program when it runs from its build folder (named
// after the program, as "pernard.htm"), else in the data directory it was installed to.

#include <QString>

namespace pernard::ui {

// The page's full path; the beside-the-program path when neither exists.
QString HelpPagePath();

}  // namespace pernard::ui
