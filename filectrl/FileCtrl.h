// The file widgets and the path rules, in one place for their users.
#pragma once

#include "filectrl/DirectoryListBox.h"
#include "filectrl/DriveComboBox.h"
#include "filectrl/FileListBox.h"
#include "filectrl/PathRules.h"
