// End to end against the virtual modem (added once it is available).
