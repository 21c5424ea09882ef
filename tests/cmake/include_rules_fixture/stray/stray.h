// Code in a folder the rules forgot.
