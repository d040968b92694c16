// Removed once this layer has its first source file.
