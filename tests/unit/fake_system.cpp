// Test doubles for the seams the launch code reads through on the host.
