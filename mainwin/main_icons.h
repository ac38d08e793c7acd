#pragma once
// The pictures of the main window's buttons, panels and trees, drawn by the program so
// that it needs no picture files and looks the same on every desktop.

#include <QIcon>

enum class MainIcon {
  Help,
  ProductsAndReleases,
  Customers,
  Groups,
  UserAccess,
  SplitBrowser,  // split mode off: the button offers to split
  ZoomBrowser,   // split mode on: the button offers one list
  ViewFilters,
  ColorMode,
  EmailNotifications,
  RemoteSubmit,
  MailDefect,
  AddToGroup,
  Charts,
  Print,
  Find,
  Edit,
  ViewDefects,
  ViewPrograms,
  Delete,
  New,
  Product,
  Release,
};

QIcon MainIconFor(MainIcon icon);
