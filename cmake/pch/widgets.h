// SPDX-License-Identifier: GPL-3.0-or-later
// The gui set and the Qt Widgets headers of the windows, panes and their tests.
#pragma once

#include "gui.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>
