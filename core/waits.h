#pragma once
// Short waits that keep the windows alive: pending events are processed,
// each pass for at most 100 ms, until the time has passed.
void waitWithEvents(int ms);
