#pragma once
// Short waits that keep the windows alive: the GUI thread sleeps in the event
// loop and handles each event as it comes, until the time has passed.
void waitWithEvents(int ms);
