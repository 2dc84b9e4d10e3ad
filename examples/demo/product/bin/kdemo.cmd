@echo off
echo Kestrel Demo 1.0.0
