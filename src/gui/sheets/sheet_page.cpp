#include "gui/sheets/sheet_page.h"

#include "moc_sheet_page.cpp"
