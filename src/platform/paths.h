#pragma once
// Where Tidewell keeps its files.
//  - program folder (tidewell.ini, rule files, known.lst, msg_N.eml, help,
//    default log, alarm sound): $TIDEWELL_HOME, else $XDG_DATA_HOME/tidewell,
//    else ~/.local/share/tidewell.
//  - registry file: $TIDEWELL_HOME/registry.ini, else
//    $XDG_CONFIG_HOME/tidewell/registry.ini, else ~/.config/tidewell/registry.ini.

#include <string>

namespace tw {

std::string programFolder();                          // without a trailing '/'
std::string programFile(const std::string &name);     // programFolder() + "/" + name
std::string registryFilePath();

// Makes a relative TIDEWELL_HOME absolute, against the working folder of
// now. The program calls it first thing: it later makes the program folder
// its working folder, against which a relative one would mean another.
void makeHomeVariableAbsolute();

// Creates the program folder when it is missing and copies every file of
// ShippedFolder (for example ":/data" in the program's resources) into it
// that is not there yet. Returns false when the folder cannot be created.
bool prepareProgramFolder(const std::string &shippedFolder);

} // namespace tw
