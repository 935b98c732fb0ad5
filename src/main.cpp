// Nibblet: a hex editor for touch screens and small portrait displays.

#include "gui/app/application.h"

int main(int argc, char** argv) { return nibblet::runApplication(argc, argv); }
