#pragma once

// Rows of CommandLineTest: command lines with their arguments, and argument lists to quote.
void addSplitRows();
void addRoundTripRows();
