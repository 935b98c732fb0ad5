"""What the scripted end-to-end tests share: waiting on a condition with a deadline, and a list
of named checks that are all run and counted, so one run reports every fault it finds."""

import time


def log(text):
    print(text, flush=True)


def wait_for(condition, deadline, what, interval=0.1):
    """Polls `condition` until it gives a true value, which is returned; None at the deadline.
    A condition that raises (a window that went away while it was read) is asked again."""
    end = time.monotonic() + deadline
    while True:
        try:
            value = condition()
        except Exception:
            value = None
        if value:
            return value
        if time.monotonic() > end:
            log(f"  (gave up waiting for {what} after {deadline} s)")
            return None
        time.sleep(interval)


class Checklist:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def check(self, ok, text):
        if ok:
            self.passed += 1
            log(f"ok - {text}")
        else:
            self.failures.append(text)
            log(f"FAILED - {text}")
        return ok

    def summary(self):
        """Prints the closing count; the exit code: 0 when every check passed, else 1."""
        log(f"{self.passed} passed, {len(self.failures)} failed")
        return 1 if self.failures else 0
