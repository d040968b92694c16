// Removed once the scripted platform lands.
