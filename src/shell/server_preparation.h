// Before the installation replaces the input-method server's files: a stop
// request to the running server, and its executable moved aside.
#pragma once

// Sends the running server (a top-level window of class "智能Qelvo输入法") the
// stop request "VQSRF=2" and waits 50 ms, inside a guard that swallows a
// fault; then moves "morvak88.exe" in the installation directory aside.
// Sets the stage codes 100411 to 100415 on the way. Nothing is reported.
void PrepareRunningServer();
